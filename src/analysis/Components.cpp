#include "Components.h"

namespace {

struct TFrame
{
    uint32_t State;
    uint32_t Position;  // next enabled transition to follow
    bool Root;
};

} // namespace

// Pearce's space-efficient variant of Tarjan's algorithm, without recursion:
// one rank per state, which ends up as the state's component number (counted
// down from 2^32 - 2, so finished components rank above every active state).
// Successors are not stored: each is found again by firing and looking up.
bool FindComponents(const TReachability &graph, const TSearchLimits &limits, TComponentSummary &out,
                    QString *stopReason)
{
    const int64_t n = graph.StateCount();
    const TFiringNet &net = graph.Net;
    if (n >= int64_t(1) << 31) {
        *stopReason = QStringLiteral("слишком много состояний для поиска компонент");
        return false;
    }
    std::vector<uint32_t> rank(size_t(n), 0);
    std::vector<bool> exits(size_t(n), false);
    std::vector<uint32_t> stack;
    std::vector<TFrame> frames;
    std::vector<int32_t> marking(size_t(net.PlaceCount()) + 1), enabled;
    std::vector<uint8_t> scratch;
    std::vector<uint8_t> enabledHere(size_t(net.TransitionCount()), 0);
    out.BottomsWith.assign(size_t(net.TransitionCount()), 0);

    uint32_t index = 1;
    uint32_t component = UINT32_MAX - 1;
    int64_t steps = 0;
    rank[0] = index++;
    frames.push_back({0, 0, true});
    while (!frames.empty()) {
        if ((++steps & 1023) == 0) {
            const int64_t memory = int64_t(rank.size()) * 4 + int64_t(exits.size()) / 8
                                   + int64_t(stack.capacity()) * 4 + int64_t(frames.capacity()) * int64_t(sizeof(TFrame));
            out.PeakMemoryBytes = std::max(out.PeakMemoryBytes, memory);
            const QString reason = limits.Check(graph.MemoryBytes() + memory);
            if (!reason.isEmpty()) {
                *stopReason = reason;
                return false;
            }
        }
        TFrame &f = frames.back();
        const uint32_t v = f.State;
        graph.Store.Unpack(v, marking.data());
        net.EnabledIn(marking.data(), enabled);
        bool descended = false;
        for (; f.Position < enabled.size(); ++f.Position) {
            const uint32_t w = uint32_t(graph.Target(v, marking.data(), enabled[f.Position], scratch));
            if (rank[w] == 0) {
                rank[w] = index++;
                frames.push_back({w, 0, true});
                descended = true;
                break;
            }
            if (rank[w] < rank[v]) {
                rank[v] = rank[w];
                f.Root = false;
            }
            if (rank[w] > component)
                exits[v] = true;    // into a finished component: v's cannot be bottom
        }
        if (descended)
            continue;
        if (f.Root) {
            --index;
            size_t first = stack.size();
            while (first > 0 && rank[v] <= rank[stack[first - 1]])
                --first;
            bool bottom = !exits[v];
            for (size_t k = first; k < stack.size() && bottom; ++k)
                bottom = !exits[stack[k]];
            if (bottom) {
                // A bottom component: which transitions fire inside it.
                std::fill(enabledHere.begin(), enabledHere.end(), 0);
                uint32_t nearest = v;
                auto note = [&](uint32_t s) {
                    graph.Store.Unpack(s, marking.data());
                    net.EnabledIn(marking.data(), enabled);
                    for (int32_t t : enabled)
                        enabledHere[t] = 1;
                    nearest = std::min(nearest, s);
                };
                note(v);
                for (size_t k = first; k < stack.size(); ++k)
                    note(stack[k]);
                for (size_t t = 0; t < enabledHere.size(); ++t)
                    out.BottomsWith[t] += enabledHere[t];
                if (out.Bottoms++ == 0) {
                    out.FirstBottomSize = int64_t(stack.size() - first) + 1;
                    out.FirstBottomNearest = nearest;
                }
            }
            for (size_t k = first; k < stack.size(); ++k) {
                rank[stack[k]] = component;
                --index;
            }
            stack.resize(first);
            rank[v] = component--;
            ++out.Components;
        } else {
            stack.push_back(v);
        }
        frames.pop_back();
        if (frames.empty())
            break;
        // Merge the finished child into its parent and go on with the next firing.
        TFrame &parent = frames.back();
        if (rank[v] < rank[parent.State]) {
            rank[parent.State] = rank[v];
            parent.Root = false;
        }
        if (rank[v] > component)
            exits[parent.State] = true;
        ++parent.Position;
    }
    return true;
}

int64_t CountReaching(const TReachability &graph, int64_t target, const TSearchLimits &limits, QString *stopReason,
                      int64_t *peakMemoryBytes)
{
    const int64_t n = graph.StateCount();
    const TFiringNet &net = graph.Net;
    const TMarkingStore &store = graph.Store;
    const size_t stride = size_t(store.Stride());
    std::vector<bool> seen(size_t(n), false);
    std::vector<uint32_t> queue;
    std::vector<int32_t> marking(size_t(net.PlaceCount()) + 1), before(size_t(net.PlaceCount()) + 1);
    std::vector<int32_t> candidates, fired;
    std::vector<uint8_t> buf;
    std::vector<uint64_t> hashes;
    queue.push_back(uint32_t(target));
    seen[target] = true;
    for (size_t head = 0; head < queue.size(); ++head) {
        if ((head & 1023) == 0) {
            const int64_t memory = int64_t(queue.capacity()) * 4 + n / 8;
            *peakMemoryBytes = std::max(*peakMemoryBytes, memory);
            const QString reason = limits.Check(graph.MemoryBytes() + memory);
            if (!reason.isEmpty()) {
                *stopReason = reason;
                return -1;
            }
        }
        const uint32_t v = queue[head];
        // States come off the queue in no order of memory: fetch ahead.
        if (head + 4 < queue.size())
            __builtin_prefetch(store.At(queue[head + 4]));
        store.Unpack(v, marking.data());
        net.ReverseCandidates(marking.data(), candidates);
        // The marking before each candidate firing, packed, its slot fetched ahead.
        fired.clear();
        buf.resize(stride * candidates.size());
        hashes.resize(candidates.size());
        for (int32_t t : candidates) {
            const int32_t *pl = net.EffectPlaces(t);
            const int64_t *d = net.EffectDeltas(t);
            bool valid = true;
            for (int k = 0; k < net.EffectCount(t) && valid; ++k)
                valid = marking[pl[k]] - d[k] >= 0 && marking[pl[k]] - d[k] <= store.WidthLimit();
            if (!valid)
                continue;
            std::copy(marking.begin(), marking.end(), before.begin());
            for (int k = 0; k < net.EffectCount(t); ++k)
                before[pl[k]] = int32_t(marking[pl[k]] - d[k]);
            if (!net.IsEnabled(before.data(), t))
                continue;
            uint8_t *packed = buf.data() + fired.size() * stride;
            std::memcpy(packed, store.At(v), stride);
            for (int k = 0; k < net.EffectCount(t); ++k)
                store.Put(packed, pl[k], before[pl[k]]);
            hashes[fired.size()] = store.Hash(packed);
            store.Prefetch(hashes[fired.size()]);
            fired.push_back(t);
        }
        for (size_t e = 0; e < fired.size(); ++e) {
            const int64_t u = store.Find(buf.data() + e * stride, hashes[e]);
            if (u >= 0 && !seen[u]) {
                seen[u] = true;
                queue.push_back(uint32_t(u));
            }
        }
    }
    return int64_t(queue.size());
}
