#pragma once
// Explicit breadth-first search of the reachability graph.

#include "FiringNet.h"
#include "MarkingStore.h"
#include "SearchLimits.h"

// States are numbered in the order found, which is breadth-first: the first
// dead state is a nearest one, and parent links give shortest paths.
class TReachability
{
public:
    enum class TEnd { Complete, Unbounded, Stopped };

    TReachability(const TFiringNet &net, const QList<qint32> &start, int64_t maxStates);

    TEnd Run(const TSearchLimits &limits, QString *stopReason);

    int64_t StateCount() const { return Store.Size(); }
    // The target of a firing of an enabled transition in a state (unpacked in marking).
    int64_t Target(int64_t state, const int32_t *marking, int t, std::vector<uint8_t> &scratch) const;
    QList<int> PathTo(int64_t state) const;
    QList<qint64> MarkingOf(int64_t state) const;
    int64_t MemoryBytes() const;

    const TFiringNet &Net;
    TMarkingStore Store;
    TBlockArray<uint32_t> Parent;
    TBlockArray<uint32_t> ParentTransition;
    int64_t Firings = 0;
    int64_t Expanded = 0;           // states whose firings were all explored
    int64_t DeadCount = 0;
    int64_t FirstDead = -1;
    std::vector<int64_t> Bounds;    // per place, largest count found
    int64_t MaxTotal = 0;
    std::vector<uint8_t> Fired;     // per transition, enabled somewhere

private:
    struct TCandidate
    {
        uint32_t Parent;
        int32_t Transition;
        uint64_t Hash;
    };
    // What one worker of a level finds: the markings not yet stored, with
    // its share of the counts.
    struct TWorkerPart
    {
        std::vector<TCandidate> Candidates;
        std::vector<uint8_t> Markings;
        std::vector<uint8_t> Fired;
        int64_t Firings = 0;
        int64_t DeadCount = 0;
        int64_t FirstDead = -1;
        bool NeedsWiderCounts = false;
        bool Stopped = false;
    };

    enum class TStep { Go, Stop, Unbounded };
    TStep ExpandSequentially(int64_t begin, int64_t end, const TSearchLimits &limits, QString *stopReason);
    // Expands states [begin, end) with several workers that only look up;
    // the new markings are then added in the order one worker would add them.
    // Answers false (and changes nothing) when counts must grow wider first.
    bool ExpandInParallel(int64_t begin, int64_t end, int workers, const TSearchLimits &limits, TStep &step,
                          QString *stopReason);
    void ExpandPart(int64_t begin, int64_t end, const TSearchLimits &limits, TWorkerPart &part) const;
    // Notes a marking just added: parent link, bounds, covered ancestors.
    bool NoteAdded(int64_t parent, int t, const uint8_t *packed, std::vector<int32_t> &scratch);
    bool CoversAncestor(int64_t parent, int lastTransition, const int32_t *marking);
    // Ancestor steps the covering test may still take: it grows with the
    // states expanded, so the test never dominates the search.
    int64_t AncestorBudget = 1 << 20;
    std::vector<int64_t> NextCheck; // per place: the count at which to look for a covered ancestor again
};
