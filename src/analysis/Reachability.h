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
    // One run of parents expanded by one worker of a level: the firings that
    // lead to markings not stored before the level, in the order found.
    struct TChunk
    {
        std::vector<uint64_t> Words;     // candidate markings, packed
        std::vector<uint64_t> Hashes;
        std::vector<uint32_t> Parents;
        std::vector<int32_t> Transitions;
        int64_t More[TMarkingStore::Partitions] = {};
        int64_t Firings = 0;
        int64_t DeadCount = 0;
        int64_t FirstDead = -1;
        int64_t MaxTotal = 0;
        bool NeedsWiderCounts = false;
        bool Stopped = false;
    };
    // A candidate that a worker found new in its partition, with its slot.
    struct TClaim
    {
        uint32_t Chunk;
        uint32_t Candidate;
        int64_t Slot;
    };

    enum class TStep { Go, Stop, Unbounded };
    TStep ExpandSequentially(int64_t begin, int64_t end, const TSearchLimits &limits, QString *stopReason);
    // Expands states [begin, end) with several workers: they expand runs of
    // parents side by side, then add the new markings side by side (each in
    // its partitions of the hash set), and the markings get their indices in
    // the order one worker would have found them.
    // Answers false (and changes nothing) when the level must be done by one
    // worker: counts must grow wider first, or the state limit is near.
    bool ExpandInParallel(int64_t begin, int64_t end, int workers, const TSearchLimits &limits, TStep &step,
                          QString *stopReason);
    void ExpandChunk(int64_t begin, int64_t end, TChunk &chunk, std::vector<uint8_t> &fired) const;
    void ClaimPartitions(const std::vector<TChunk> &chunks, int worker, int workers,
                         std::vector<TClaim> &claims);
    // Per transition, the words its firing changes and what it adds to each,
    // for the current packing (a count's change shifted into place).
    void LayOutEffects();
    // Writes the targets of the enabled transitions, their hashes, and
    // fetches their slots ahead.
    void PackTargets(const uint8_t *source, const std::vector<int32_t> &enabled, std::vector<uint64_t> &targets,
                     std::vector<uint64_t> &hashes) const;
    // Notes a marking just added: parent link, bounds, covered ancestors.
    bool NoteAdded(int64_t parent, int t, const uint8_t *packed);
    bool CoversAncestor(int64_t parent, int lastTransition, const int32_t *marking);
    // Ancestor steps the covering test may still take: it grows with the
    // states expanded, so the test never dominates the search.
    int64_t AncestorBudget = 1 << 20;
    std::vector<int64_t> NextCheck; // per place: the count at which to look for a covered ancestor again
    std::vector<int32_t> EffectStart, EffectWord;
    std::vector<uint64_t> EffectAdd;
    int LaidOutBits = 0;
};
