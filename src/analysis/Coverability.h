#pragma once
// The Karp–Miller coverability graph of an unbounded net.

#include "FiringNet.h"
#include "SearchLimits.h"

#include <array>

// Nodes are markings with ω (Omega) for counts that grow without bound,
// numbered in breadth-first order; equal nodes are merged, so the result is
// a graph, not a tree. A new node that strictly covers a node on its path
// from the start gets ω wherever it holds more.
class TCoverability
{
public:
    TCoverability(const TFiringNet &net, const QList<qint32> &start);

    // Answers false with *stopReason when a limit stopped it.
    bool Run(const TSearchLimits &limits, QString *stopReason);

    int64_t NodeCount() const { return int64_t(Parent.size()); }
    const int64_t *Marking(int64_t node) const { return Markings.data() + node * Places; }
    QList<qint64> MarkingOf(int64_t node) const;

    const TFiringNet &Net;
    int Places;
    std::vector<int64_t> Markings;
    std::vector<int32_t> Parent, ParentTransition;
    std::vector<std::array<int32_t, 3>> Edges;     // from, to, transition
    int64_t Expanded = 0;

private:
    int64_t Find(const int64_t *marking, uint64_t hash) const;
    uint64_t Hash(const int64_t *marking) const;
    std::vector<int32_t> Slots;
};
