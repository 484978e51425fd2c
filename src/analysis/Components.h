#pragma once
// Strongly connected components of a complete reachability graph: the bottom
// ones decide liveness, reversibility and home markings.

#include "Reachability.h"

struct TComponentSummary
{
    int64_t Components = 0;
    int64_t Bottoms = 0;                // components no firing leaves
    std::vector<int64_t> BottomsWith;   // per transition: bottom components where it is enabled
    int64_t FirstBottomSize = 0;
    int64_t FirstBottomNearest = -1;    // the member of the first bottom component found first
    int64_t PeakMemoryBytes = 0;
};

// Answers false with *stopReason when a limit stopped it.
bool FindComponents(const TReachability &graph, const TSearchLimits &limits, TComponentSummary &out,
                    QString *stopReason);

// How many states can reach the target state (itself included), found
// breadth-first against the direction of firing; -1 when a limit stopped it.
int64_t CountReaching(const TReachability &graph, int64_t target, const TSearchLimits &limits, QString *stopReason,
                      int64_t *peakMemoryBytes);
