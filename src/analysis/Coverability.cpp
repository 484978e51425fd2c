#include "Coverability.h"

#include <cstring>

TCoverability::TCoverability(const TFiringNet &net, const QList<qint32> &start)
    : Net(net)
    , Places(net.PlaceCount())
    , Slots(1024, -1)
{
    Markings.assign(start.begin(), start.end());
    Parent.push_back(-1);
    ParentTransition.push_back(-1);
    Slots[Hash(Marking(0)) & (Slots.size() - 1)] = 0;
}

uint64_t TCoverability::Hash(const int64_t *marking) const
{
    uint64_t h = 0x9E3779B97F4A7C15ULL;
    for (int p = 0; p < Places; ++p) {
        h = (h ^ uint64_t(marking[p])) * 0xff51afd7ed558ccdULL;
        h ^= h >> 31;
    }
    return h;
}

int64_t TCoverability::Find(const int64_t *marking, uint64_t hash) const
{
    const size_t mask = Slots.size() - 1;
    for (size_t i = hash & mask; Slots[i] >= 0; i = (i + 1) & mask)
        if (Places == 0 || std::memcmp(Marking(Slots[i]), marking, size_t(Places) * 8) == 0)
            return Slots[i];
    return -1;
}

QList<qint64> TCoverability::MarkingOf(int64_t node) const
{
    return QList<qint64>(Marking(node), Marking(node) + Places);
}

bool TCoverability::Run(const TSearchLimits &limits, QString *stopReason)
{
    std::vector<int64_t> cur(size_t(Places) + 1), next(size_t(Places) + 1);
    std::vector<int32_t> enabled;
    const qint64 maxNodes = limits.Options.MaxCoverabilityNodes;
    for (int64_t v = 0; v < NodeCount(); ++v) {
        // Each node may walk a long path of ancestors: look at the limits every time.
        {
            limits.Report(NodeCount(), int64_t(Edges.size()));
            const int64_t memory = int64_t(Markings.capacity()) * 8 + int64_t(Edges.capacity()) * 12
                                   + int64_t(Slots.size()) * 4 + int64_t(Parent.capacity()) * 8;
            const QString reason = limits.Check(memory);
            if (!reason.isEmpty()) {
                *stopReason = reason;
                return false;
            }
        }
        std::copy(Marking(v), Marking(v) + Places, cur.begin());
        Net.EnabledIn(cur.data(), enabled);
        for (int32_t t : enabled) {
            next = cur;
            const int32_t *pl = Net.EffectPlaces(t);
            const int64_t *d = Net.EffectDeltas(t);
            for (int k = 0; k < Net.EffectCount(t); ++k)
                if (next[pl[k]] != Omega)
                    next[pl[k]] += d[k];
            // Accelerate against every ancestor the new marking covers; one
            // ω may let it cover an ancestor it did not before, so repeat.
            for (bool changed = true; changed;) {
                changed = false;
                for (int64_t a = v; a >= 0; a = Parent[a]) {
                    const int64_t *m = Marking(a);
                    bool covers = true, more = false;
                    for (int p = 0; p < Places && covers; ++p) {
                        covers = m[p] <= next[p];
                        more = more || m[p] < next[p];
                    }
                    if (!covers || !more)
                        continue;
                    for (int p = 0; p < Places; ++p)
                        if (m[p] < next[p] && next[p] != Omega) {
                            next[p] = Omega;
                            changed = true;
                        }
                }
            }
            const uint64_t hash = Hash(next.data());
            int64_t w = Find(next.data(), hash);
            if (w < 0) {
                if (NodeCount() >= maxNodes) {
                    *stopReason = QStringLiteral("достигнут предел числа узлов графа покрытия (%1)").arg(maxNodes);
                    return false;
                }
                w = NodeCount();
                Markings.insert(Markings.end(), next.begin(), next.begin() + Places);
                Parent.push_back(int32_t(v));
                ParentTransition.push_back(t);
                if (size_t(NodeCount()) * 2 > Slots.size()) {
                    Slots.assign(Slots.size() * 2, -1);
                    for (int64_t k = 0; k < NodeCount(); ++k) {
                        size_t i = Hash(Marking(k)) & (Slots.size() - 1);
                        while (Slots[i] >= 0)
                            i = (i + 1) & (Slots.size() - 1);
                        Slots[i] = int32_t(k);
                    }
                } else {
                    size_t i = hash & (Slots.size() - 1);
                    while (Slots[i] >= 0)
                        i = (i + 1) & (Slots.size() - 1);
                    Slots[i] = int32_t(w);
                }
            }
            Edges.push_back({int32_t(v), int32_t(w), t});
        }
        Expanded = v + 1;
    }
    limits.Report(NodeCount(), int64_t(Edges.size()));
    return true;
}
