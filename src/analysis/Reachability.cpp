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
    LayOutEffects();
}

void TReachability::LayOutEffects()
{
    LaidOutBits = Store.Bits();
    EffectStart.assign(1, 0);
    EffectWord.clear();
    EffectAdd.clear();
    for (int t = 0; t < Net.TransitionCount(); ++t) {
        const int32_t *pl = Net.EffectPlaces(t);
        const int64_t *d = Net.EffectDeltas(t);
        // Effects are sorted by place, so the words come in order too. Adding
        // a negative change in two's complement is exact while every count
        // stays within its field, which enabling and the width check ensure.
        for (int k = 0; k < Net.EffectCount(t); ++k) {
            const int word = Store.WordOf(pl[k]);
            if (EffectWord.size() == size_t(EffectStart.back()) || EffectWord.back() != word) {
                EffectWord.push_back(word);
                EffectAdd.push_back(0);
            }
            EffectAdd.back() += uint64_t(d[k]) << Store.ShiftOf(pl[k]);
        }
        EffectStart.push_back(int32_t(EffectWord.size()));
    }
    Rule.Build(Net, Store);
    // The hashes of the old packing name other markings now.
    Recent.Hashes.clear();
    if (Store.Words() == 1)
        Recent.Reset(Store.Hash(Store.At(0)));
    // A one-word marking takes the whole effect in one addition.
    WordEffect.assign(size_t(Net.TransitionCount()), 0);
    if (Store.Words() == 1)
        for (int t = 0; t < Net.TransitionCount(); ++t)
            for (int k = EffectStart[t]; k < EffectStart[t + 1]; ++k)
                WordEffect[t] += EffectAdd[k];
}

void TReachability::TPending::Clear()
{
    Words.clear();
    Hashes.clear();
    Parents.clear();
    Transitions.clear();
    Fetched = Done = 0;
}

void TReachability::TPending::Compact(size_t words)
{
    // Drop what is done once it outweighs what waits, so the queue stays short.
    if (Done < 1024 || Done * 2 < Size())
        return;
    Words.erase(Words.begin(), Words.begin() + std::ptrdiff_t(Done * words));
    Hashes.erase(Hashes.begin(), Hashes.begin() + std::ptrdiff_t(Done));
    Parents.erase(Parents.begin(), Parents.begin() + std::ptrdiff_t(Done));
    Transitions.erase(Transitions.begin(), Transitions.begin() + std::ptrdiff_t(Done));
    Fetched -= Done;
    Done = 0;
}

void TReachability::PackTargets(int64_t state, const std::vector<int32_t> &enabled, TPending &q,
                                const TRecent *recent) const
{
    const size_t words = size_t(Store.Words());
    const uint8_t *source = Store.At(state);
    if (words == 1) {
        uint64_t word;
        std::memcpy(&word, source, 8);
        for (int32_t t : enabled) {
            const uint64_t target = word + WordEffect[t];
            const uint64_t hash = TMarkingStore::Mix(target);
            if (recent && recent->Has(hash))
                continue;
            Store.Prefetch(hash);
            q.Words.push_back(target);
            q.Hashes.push_back(hash);
            q.Parents.push_back(uint32_t(state));
            q.Transitions.push_back(t);
        }
        return;
    }
    size_t at = q.Words.size();
    q.Words.resize(at + words * enabled.size());
    for (int32_t t : enabled) {
        uint64_t *target = q.Words.data() + at;
        std::memcpy(target, source, words * 8);
        for (int k = EffectStart[t]; k < EffectStart[t + 1]; ++k)
            target[EffectWord[k]] += EffectAdd[k];
        const uint64_t hash = Store.Hash(reinterpret_cast<const uint8_t *>(target));
        Store.Prefetch(hash);
        q.Hashes.push_back(hash);
        q.Parents.push_back(uint32_t(state));
        q.Transitions.push_back(t);
        at += words;
    }
}

int64_t TReachability::EnabledAt(int64_t state, std::vector<int32_t> &cur, std::vector<int32_t> &enabled,
                                 bool &wide) const
{
    const int places = Net.PlaceCount();
    const int64_t limit = Store.WidthLimit();
    wide = false;
    if (!Rule.On()) {
        Store.Unpack(state, cur.data());
        Net.EnabledIn(cur.data(), enabled, limit);
        for (int32_t t : enabled) {
            const int32_t *pl = Net.EffectPlaces(t);
            const int64_t *d = Net.EffectDeltas(t);
            for (int k = 0; k < Net.EffectCount(t); ++k)
                wide = wide || cur[pl[k]] + d[k] > limit;
        }
        return std::accumulate(cur.begin(), cur.begin() + places, int64_t(0));
    }
    uint64_t word;
    std::memcpy(&word, Store.At(state), 8);
    const int64_t total = Rule.Narrow() ? EnabledInWord(Rule.Test<uint64_t>(), word, enabled)
                                        : EnabledInWord(Rule.Test<TWordRule::TWide>(), word, enabled);
    if (!Rule.Roomy(word))
        for (int32_t t : enabled)
            if (!Rule.Test<TWordRule::TWide>().Fits(word, t)) {
                wide = true;
                Store.Unpack(state, cur.data());
                break;
            }
    return total;
}

template<typename TTest>
int64_t TReachability::EnabledInWord(const TTest &test, uint64_t word, std::vector<int32_t> &enabled) const
{
    int64_t total = 0;
    const int places = Net.PlaceCount(), bits = Store.Bits();
    const uint64_t limit = uint64_t(Store.WidthLimit());
    if (Rule.Scans()) {
        const std::vector<int32_t> &order = Rule.Order();
        enabled.resize(order.size());
        size_t count = 0;
        for (size_t k = 0; k < order.size(); ++k) {
            enabled[count] = order[k];
            count += test.IsEnabledAt(word, k);
        }
        enabled.resize(count);
        for (int p = 0, shift = 0; p < places; ++p, shift += bits)
            total += int64_t((word >> shift) & limit);
        return total;
    }
    enabled.clear();
    const int32_t *start = Net.TriggerStarts();
    const int32_t *triggered = Net.Triggered(0);
    for (int p = 0, shift = 0; p < places; ++p, shift += bits) {
        const uint64_t m = (word >> shift) & limit;
        if (m == 0)
            continue;
        total += int64_t(m);
        for (int k = start[p], last = start[p + 1]; k < last; ++k)
            if (test.IsEnabled(word, triggered[k]))
                enabled.push_back(triggered[k]);
    }
    for (int32_t t : Net.SourceTransitions())
        if (test.IsEnabled(word, t))
            enabled.push_back(t);
    return total;
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

bool TReachability::NoteAdded(int64_t parent, int t, const uint8_t *packed)
{
    *Parent.Append() = uint32_t(parent);
    *ParentTransition.Append() = uint32_t(t);
    // Only the places the firing raised can pass their bounds.
    bool check = false;
    const int32_t *pl = Net.EffectPlaces(t);
    const int64_t *d = Net.EffectDeltas(t);
    for (int k = 0; k < Net.EffectCount(t); ++k) {
        if (d[k] < 0)
            continue;
        const int64_t v = Store.CountAt(packed, pl[k]);
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
    if (!check || AncestorBudget <= 0)
        return false;
    std::vector<int32_t> next(size_t(Net.PlaceCount()) + 1);
    Store.UnpackFrom(packed, next.data());
    return CoversAncestor(parent, t, next.data());
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
        if (step == TStep::Stop) {
            // Markings found but not expanded count towards the largest total too.
            std::vector<int32_t> m(size_t(Net.PlaceCount()) + 1);
            for (int64_t s = Expanded; s < Store.Size(); ++s) {
                Store.Unpack(s, m.data());
                MaxTotal = std::max(MaxTotal, std::accumulate(m.begin(), m.end() - 1, int64_t(0)));
            }
            return TEnd::Stopped;
        }
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
    std::vector<int32_t> cur(size_t(places) + 1), enabled;
    TPending q;
    const int64_t maxStates = std::clamp<int64_t>(limits.Options.MaxStates, 1, UINT32_MAX - 2);
    TStep step = TStep::Go;
    // Each level starts afresh, so what it finds (and where a limit stops
    // it) does not hang on how the levels before were expanded.
    TRecent &recent = Recent;
    if (!recent.Hashes.empty())
        recent.Reset(Store.Hash(Store.At(0)));
    const auto lookUp = [&](size_t k) {
        const uint8_t *target = reinterpret_cast<const uint8_t *>(q.Words.data() + k * size_t(Store.Words()));
        if (Store.Size() >= maxStates) {
            // Full: a marking not seen yet would be one too many.
            if (Store.Find(target, q.Hashes[k]) >= 0) {
                recent.Note(q.Hashes[k]);
                return true;
            }
            *stopReason = limits.StateLimitText(maxStates);
            step = TStep::Stop;
        } else {
            bool added = false;
            Store.Insert(target, q.Hashes[k], added);
            recent.Note(q.Hashes[k]);
            if (!added || !NoteAdded(q.Parents[k], q.Transitions[k], target))
                return true;
            step = TStep::Unbounded;
        }
        // States before this one's parent are done.
        Expanded = q.Parents[k];
        return false;
    };
    for (int64_t i = begin; i < end; ++i) {
        if ((i & 1023) == 0) {
            limits.Report(Store.Size(), Firings);
            const QString reason = limits.Check(MemoryBytes());
            if (!reason.isEmpty()) {
                *stopReason = reason;
                Expanded = q.Done < q.Size() ? q.Parents[q.Done] : i;
                return TStep::Stop;
            }
        }
        bool wide = false;
        MaxTotal = std::max(MaxTotal, EnabledAt(i, cur, enabled, wide));
        if (enabled.empty() && DeadCount++ == 0)
            FirstDead = i;
        Firings += int64_t(enabled.size());
        for (int32_t t : enabled)
            Fired[t] = 1;
        // Widen before packing any firing of this state; what waits was
        // packed the old way and is looked up first.
        if (wide) {
            int64_t largest = 0;
            for (int32_t t : enabled) {
                const int32_t *pl = Net.EffectPlaces(t);
                const int64_t *d = Net.EffectDeltas(t);
                for (int k = 0; k < Net.EffectCount(t); ++k)
                    largest = std::max(largest, cur[pl[k]] + d[k]);
            }
            if (!Advance(q, true, lookUp))
                return step;
            q.Clear();
            Store.WidenFor(largest);
            LayOutEffects();
        }
        PackTargets(i, enabled, q, recent.Hashes.empty() ? nullptr : &recent);
        AncestorBudget += 64;
        if (!Advance(q, false, lookUp))
            return step;
    }
    if (!Advance(q, true, lookUp))
        return step;
    Expanded = end;
    return TStep::Go;
}

int64_t TReachability::Target(int64_t state, const int32_t *marking, int t, std::vector<uint8_t> &scratch) const
{
    scratch.resize(size_t(Store.Stride()));
    std::memcpy(scratch.data(), Store.At(state), scratch.size());
    const int32_t *pl = Net.EffectPlaces(t);
    const int64_t *d = Net.EffectDeltas(t);
    for (int k = 0; k < Net.EffectCount(t); ++k) {
        // A count past the packing cannot be a stored marking.
        if (marking[pl[k]] + d[k] > Store.WidthLimit())
            return -1;
        Store.Put(scratch.data(), pl[k], int32_t(marking[pl[k]] + d[k]));
    }
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
