#include "Reachability.h"

#include <algorithm>
#include <numeric>

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

TReachability::TEnd TReachability::Run(const TSearchLimits &limits, QString *stopReason)
{
    const int places = Net.PlaceCount();
    std::vector<int32_t> cur(size_t(places) + 1), next(size_t(places) + 1), enabled;
    std::vector<uint8_t> buf;
    std::vector<uint64_t> hashes;
    const int64_t maxStates = std::clamp<int64_t>(limits.Options.MaxStates, 1, UINT32_MAX - 2);
    for (int64_t i = 0; i < Store.Size(); ++i) {
        if ((i & 1023) == 0) {
            limits.Report(Store.Size(), Firings);
            const QString reason = limits.Check(MemoryBytes());
            if (!reason.isEmpty()) {
                *stopReason = reason;
                return TEnd::Stopped;
            }
        }
        Store.Unpack(i, cur.data());
        Net.EnabledIn(cur.data(), enabled, Store.WidthLimit());
        if (enabled.empty() && DeadCount++ == 0)
            FirstDead = i;
        Firings += int64_t(enabled.size());
        int64_t total = -1;
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
            const int t = enabled[e];
            const uint8_t *target = buf.data() + e * stride;
            if (Store.Size() >= maxStates) {
                // Full: a marking not seen yet would be one too many.
                if (Store.Find(target, hashes[e]) >= 0)
                    continue;
                *stopReason = limits.StateLimitText(maxStates);
                return TEnd::Stopped;
            }
            bool added = false;
            Store.Insert(target, hashes[e], added);
            if (!added)
                continue;
            *Parent.Append() = uint32_t(i);
            *ParentTransition.Append() = uint32_t(t);
            if (total < 0)
                total = std::accumulate(cur.begin(), cur.begin() + places, int64_t(0));
            MaxTotal = std::max(MaxTotal, total + Net.TotalDelta(t));
            const int n = Net.EffectCount(t);
            const int32_t *pl = Net.EffectPlaces(t);
            const int64_t *d = Net.EffectDeltas(t);
            bool check = false;
            for (int k = 0; k < n; ++k) {
                const int64_t v = cur[pl[k]] + d[k];
                if (v <= Bounds[pl[k]])
                    continue;
                Bounds[pl[k]] = v;
                // Look for a covered ancestor at every new bound while bounds
                // are small, then at each doubling: cheap for bounded nets,
                // soon enough for unbounded ones.
                if (v < 64 || v >= NextCheck[pl[k]]) {
                    NextCheck[pl[k]] = 2 * v;
                    check = true;
                }
            }
            if (check) {
                std::copy(cur.begin(), cur.end(), next.begin());
                for (int k = 0; k < n; ++k)
                    next[pl[k]] = int32_t(cur[pl[k]] + d[k]);
                if (AncestorBudget > 0 && CoversAncestor(i, t, next.data()))
                    return TEnd::Unbounded;
            }
        }
        Expanded = i + 1;
        AncestorBudget += 64;
    }
    limits.Report(Store.Size(), Firings);
    return TEnd::Complete;
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
