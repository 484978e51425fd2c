#include "Reachability.h"

#include <algorithm>
#include <numeric>
#include <thread>

TReachability::TReachability(const TFiringNet &net, const QList<qint32> &start, int64_t maxStates)
    : Net(net)
    , Store(net.PlaceCount(), std::clamp<int64_t>(maxStates, 1, UINT32_MAX - 2))
    , Bounds(size_t(net.PlaceCount()), 0)
    , Fired(size_t(net.TransitionCount()), 0)
    , NextCheck(size_t(net.PlaceCount()), 0)
{
    std::vector<int32_t> marking(start.begin(), start.end());
    marking.push_back(0);
    for (int p = 0; p < net.PlaceCount(); ++p) {
        Bounds[p] = marking[p];
        MaxTotal += marking[p];
    }
    Store.WidenFor(*std::max_element(marking.begin(), marking.end()));
    std::vector<uint8_t> packed(size_t(Store.Stride()));
    Store.Pack(marking.data(), packed.data());
    bool added = false;
    Store.Insert(packed.data(), Store.Hash(packed.data()), added);
    *Parent.Append() = UINT32_MAX;
    *ParentTransition.Append() = UINT32_MAX;
}

int64_t TReachability::MemoryBytes() const
{
    return Store.MemoryBytes() + Parent.MemoryBytes() + ParentTransition.MemoryBytes();
}

bool TReachability::CoversAncestor(int64_t parent, int lastTransition, const int32_t *marking)
{
    // The new marking differs from every earlier one, so covering one of its
    // ancestors means strictly more tokens: the path between repeats forever.
    // Such an ancestor holds fewer tokens in all; totals follow up the path
    // from the firings, so most ancestors are passed over unread.
    const int places = Net.PlaceCount();
    const int64_t total = std::accumulate(marking, marking + places, int64_t(0));
    int64_t ancestorTotal = total - Net.TotalDelta(lastTransition);
    std::vector<int32_t> ancestor(size_t(places) + 1);
    for (int64_t a = parent;; a = Parent[a]) {
        if (--AncestorBudget < 0)
            return false;
        if (ancestorTotal < total) {
            Store.Unpack(a, ancestor.data());
            bool covered = true;
            for (int p = 0; p < places && covered; ++p)
                covered = ancestor[p] <= marking[p];
            if (covered)
                return true;
        }
        if (a == 0)
            return false;
        ancestorTotal -= Net.TotalDelta(int(ParentTransition[a]));
    }
}

bool TReachability::NoteAdded(int64_t parent, int t, const uint8_t *packed, std::vector<int32_t> &next)
{
    *Parent.Append() = uint32_t(parent);
    *ParentTransition.Append() = uint32_t(t);
    Store.UnpackFrom(packed, next.data());
    const int places = Net.PlaceCount();
    MaxTotal = std::max(MaxTotal, std::accumulate(next.begin(), next.begin() + places, int64_t(0)));
    // Only the places the firing changed can pass their bounds.
    bool check = false;
    const int32_t *pl = Net.EffectPlaces(t);
    for (int k = 0; k < Net.EffectCount(t); ++k) {
        const int64_t v = next[pl[k]];
        if (v <= Bounds[pl[k]])
            continue;
        Bounds[pl[k]] = v;
        // Look for a covered ancestor at every new bound while bounds are
        // small, then at each doubling: cheap for bounded nets, soon enough
        // for unbounded ones.
        if (v < 64 || v >= NextCheck[pl[k]]) {
            NextCheck[pl[k]] = 2 * v;
            check = true;
        }
    }
    return check && AncestorBudget > 0 && CoversAncestor(parent, t, next.data());
}

TReachability::TEnd TReachability::Run(const TSearchLimits &limits, QString *stopReason)
{
    int workers = limits.Options.Threads > 0 ? limits.Options.Threads : int(std::thread::hardware_concurrency());
    workers = std::clamp(workers, 1, 16);
    // Level by level: the states of one distance from the start, then the
    // ones they lead to. Large levels are shared between workers.
    for (int64_t begin = 0; begin < Store.Size();) {
        const int64_t end = Store.Size();
        TStep step = TStep::Go;
        if (workers < 2 || end - begin < 1024 || !ExpandInParallel(begin, end, workers, limits, step, stopReason))
            step = ExpandSequentially(begin, end, limits, stopReason);
        if (step == TStep::Stop)
            return TEnd::Stopped;
        if (step == TStep::Unbounded)
            return TEnd::Unbounded;
        begin = end;
    }
    limits.Report(Store.Size(), Firings);
    return TEnd::Complete;
}

TReachability::TStep TReachability::ExpandSequentially(int64_t begin, int64_t end, const TSearchLimits &limits,
                                                       QString *stopReason)
{
    const int places = Net.PlaceCount();
    std::vector<int32_t> cur(size_t(places) + 1), next(size_t(places) + 1), enabled;
    std::vector<uint8_t> buf;
    std::vector<uint64_t> hashes;
    const int64_t maxStates = std::clamp<int64_t>(limits.Options.MaxStates, 1, UINT32_MAX - 2);
    for (int64_t i = begin; i < end; ++i) {
        if ((i & 1023) == 0) {
            limits.Report(Store.Size(), Firings);
            const QString reason = limits.Check(MemoryBytes());
            if (!reason.isEmpty()) {
                *stopReason = reason;
                return TStep::Stop;
            }
        }
        Store.Unpack(i, cur.data());
        Net.EnabledIn(cur.data(), enabled, Store.WidthLimit());
        if (enabled.empty() && DeadCount++ == 0)
            FirstDead = i;
        Firings += int64_t(enabled.size());
        // Widen once for every firing of this state, then pack all targets
        // and fetch their hash slots ahead: the look-ups overlap their misses.
        int64_t largest = 0;
        for (int32_t t : enabled) {
            Fired[t] = 1;
            const int32_t *pl = Net.EffectPlaces(t);
            const int64_t *d = Net.EffectDeltas(t);
            for (int k = 0; k < Net.EffectCount(t); ++k)
                largest = std::max(largest, cur[pl[k]] + d[k]);
        }
        if (largest > Store.WidthLimit())
            Store.WidenFor(largest);
        const size_t stride = size_t(Store.Stride());
        buf.resize(stride * enabled.size());
        hashes.resize(enabled.size());
        for (size_t e = 0; e < enabled.size(); ++e) {
            const int t = enabled[e];
            uint8_t *target = buf.data() + e * stride;
            std::memcpy(target, Store.At(i), stride);
            const int32_t *pl = Net.EffectPlaces(t);
            const int64_t *d = Net.EffectDeltas(t);
            for (int k = 0; k < Net.EffectCount(t); ++k)
                Store.Put(target, pl[k], int32_t(cur[pl[k]] + d[k]));
            hashes[e] = Store.Hash(target);
            Store.Prefetch(hashes[e]);
        }
        for (size_t e = 0; e < enabled.size(); ++e)
            Store.PrefetchMarking(hashes[e]);
        for (size_t e = 0; e < enabled.size(); ++e) {
            const uint8_t *target = buf.data() + e * stride;
            if (Store.Size() >= maxStates) {
                // Full: a marking not seen yet would be one too many.
                if (Store.Find(target, hashes[e]) >= 0)
                    continue;
                *stopReason = limits.StateLimitText(maxStates);
                return TStep::Stop;
            }
            bool added = false;
            Store.Insert(target, hashes[e], added);
            if (added && NoteAdded(i, enabled[e], target, next))
                return TStep::Unbounded;
        }
        Expanded = i + 1;
        AncestorBudget += 64;
    }
    return TStep::Go;
}

void TReachability::ExpandPart(int64_t begin, int64_t end, const TSearchLimits &limits, TWorkerPart &part) const
{
    const int places = Net.PlaceCount();
    const size_t stride = size_t(Store.Stride());
    std::vector<int32_t> cur(size_t(places) + 1), enabled;
    std::vector<uint8_t> buf;
    std::vector<uint64_t> hashes;
    part.Fired.assign(Fired.size(), 0);
    for (int64_t i = begin; i < end; ++i) {
        if ((i & 1023) == 0 && limits.Options.Cancel && limits.Options.Cancel->load(std::memory_order_relaxed)) {
            part.Stopped = true;
            return;
        }
        Store.Unpack(i, cur.data());
        Net.EnabledIn(cur.data(), enabled, Store.WidthLimit());
        if (enabled.empty() && part.DeadCount++ == 0)
            part.FirstDead = i;
        part.Firings += int64_t(enabled.size());
        buf.resize(stride * enabled.size());
        hashes.resize(enabled.size());
        for (size_t e = 0; e < enabled.size(); ++e) {
            const int t = enabled[e];
            part.Fired[t] = 1;
            uint8_t *target = buf.data() + e * stride;
            std::memcpy(target, Store.At(i), stride);
            const int32_t *pl = Net.EffectPlaces(t);
            const int64_t *d = Net.EffectDeltas(t);
            for (int k = 0; k < Net.EffectCount(t); ++k) {
                if (cur[pl[k]] + d[k] > Store.WidthLimit()) {
                    part.NeedsWiderCounts = true;
                    return;
                }
                Store.Put(target, pl[k], int32_t(cur[pl[k]] + d[k]));
            }
            hashes[e] = Store.Hash(target);
            Store.Prefetch(hashes[e]);
        }
        for (size_t e = 0; e < enabled.size(); ++e)
            Store.PrefetchMarking(hashes[e]);
        for (size_t e = 0; e < enabled.size(); ++e) {
            const uint8_t *target = buf.data() + e * stride;
            if (Store.Find(target, hashes[e]) >= 0)
                continue;
            part.Candidates.push_back({uint32_t(i), enabled[e], hashes[e]});
            part.Markings.insert(part.Markings.end(), target, target + stride);
        }
    }
}

bool TReachability::ExpandInParallel(int64_t begin, int64_t end, int workers, const TSearchLimits &limits,
                                     TStep &step, QString *stopReason)
{
    // The store is only read while the workers run.
    std::vector<TWorkerPart> parts(static_cast<size_t>(workers));
    std::vector<std::thread> threads;
    const int64_t share = (end - begin + workers - 1) / workers;
    for (int w = 0; w < workers; ++w) {
        const int64_t from = std::min(end, begin + w * share), to = std::min(end, from + share);
        threads.emplace_back([this, from, to, &limits, &part = parts[w]] { ExpandPart(from, to, limits, part); });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (const TWorkerPart &part : parts)
        if (part.NeedsWiderCounts)
            return false;
    step = TStep::Go;
    for (const TWorkerPart &part : parts) {
        if (part.Stopped) {
            *stopReason = limits.Check(MemoryBytes());
            step = TStep::Stop;
            return true;
        }
        Firings += part.Firings;
        if (FirstDead < 0 && part.FirstDead >= 0)
            FirstDead = part.FirstDead;
        DeadCount += part.DeadCount;
        for (size_t t = 0; t < Fired.size(); ++t)
            Fired[t] |= part.Fired[t];
    }
    limits.Report(Store.Size(), Firings);
    const int64_t maxStates = std::clamp<int64_t>(limits.Options.MaxStates, 1, UINT32_MAX - 2);
    const size_t stride = size_t(Store.Stride());
    std::vector<int32_t> next(size_t(Net.PlaceCount()) + 1);
    for (const TWorkerPart &part : parts) {
        for (size_t c = 0; c < part.Candidates.size(); ++c) {
            const TCandidate &candidate = part.Candidates[c];
            const uint8_t *target = part.Markings.data() + c * stride;
            if (Store.Size() >= maxStates) {
                if (Store.Find(target, candidate.Hash) >= 0)
                    continue;
                *stopReason = limits.StateLimitText(maxStates);
                step = TStep::Stop;
                return true;
            }
            bool added = false;
            Store.Insert(target, candidate.Hash, added);
            if (added && NoteAdded(candidate.Parent, candidate.Transition, target, next)) {
                step = TStep::Unbounded;
                return true;
            }
        }
    }
    Expanded = end;
    AncestorBudget += 64 * (end - begin);
    const QString reason = limits.Check(MemoryBytes());
    if (!reason.isEmpty()) {
        *stopReason = reason;
        step = TStep::Stop;
    }
    return true;
}

int64_t TReachability::Target(int64_t state, const int32_t *marking, int t, std::vector<uint8_t> &scratch) const
{
    scratch.resize(size_t(Store.Stride()));
    std::memcpy(scratch.data(), Store.At(state), scratch.size());
    const int32_t *pl = Net.EffectPlaces(t);
    const int64_t *d = Net.EffectDeltas(t);
    for (int k = 0; k < Net.EffectCount(t); ++k)
        Store.Put(scratch.data(), pl[k], int32_t(marking[pl[k]] + d[k]));
    return Store.Find(scratch.data(), Store.Hash(scratch.data()));
}

QList<int> TReachability::PathTo(int64_t state) const
{
    QList<int> path;
    for (int64_t s = state; s > 0; s = Parent[s])
        path.prepend(int(ParentTransition[s]));
    return path;
}

QList<qint64> TReachability::MarkingOf(int64_t state) const
{
    std::vector<int32_t> m(size_t(Net.PlaceCount()) + 1);
    Store.Unpack(state, m.data());
    return QList<qint64>(m.begin(), m.begin() + Net.PlaceCount());
}
