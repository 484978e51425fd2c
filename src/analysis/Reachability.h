#pragma once
// Explicit breadth-first search of the reachability graph.

#include "FiringNet.h"
#include "MarkingStore.h"
#include "SearchLimits.h"
#include "WordRule.h"

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
    // Firings packed but not yet looked up. A target's slot is fetched when
    // it is packed, the marking the slot names some firings later, and the
    // look-up comes some firings after that: the misses of many look-ups
    // overlap, across the states expanded.
    struct TPending
    {
        static constexpr size_t Lead = 32;
        std::vector<uint64_t> Words;
        std::vector<uint64_t> Hashes;
        std::vector<uint32_t> Parents;
        std::vector<int32_t> Transitions;
        size_t Fetched = 0;
        size_t Done = 0;
        size_t Size() const { return Hashes.size(); }
        void Clear();
        void Compact(size_t words);
    };
    // Looks up pending firings (all of them when draining) in order; stops
    // when lookUp answers false.
    template<typename TLookUp>
    bool Advance(TPending &q, bool drain, const TLookUp &lookUp) const;

    // One-word markings met lately, each known to be stored, by their
    // one-to-one hash, in a table small enough to stay in cache: sibling
    // states share many targets, and a target met again a few states later
    // needs no look-up in the store. Each entry holds the last hash that
    // came to it; at first the start marking's, which is always stored.
    struct TRecent
    {
        static constexpr size_t Size = size_t(1) << 16;
        std::vector<uint64_t> Hashes;
        void Reset(uint64_t stored) { Hashes.assign(Size, stored); }
        bool Has(uint64_t hash) const { return Hashes[hash & (Size - 1)] == hash; }
        void Note(uint64_t hash)
        {
            if (!Hashes.empty())
                Hashes[hash & (Size - 1)] = hash;
        }
    };

    // The candidates of one run of parents for the partitions one worker adds.
    struct TGroup
    {
        std::vector<uint64_t> Words;     // candidate markings, packed
        std::vector<uint64_t> Hashes;
        std::vector<uint32_t> Parents;
        std::vector<int32_t> Transitions;
        std::vector<uint32_t> Order;     // place among all candidates of the run
    };
    // One run of parents expanded by one worker of a level: the firings that
    // lead to markings not stored before the level, each marking once, in
    // the order found, grouped by the worker that adds them.
    struct TChunk
    {
        std::vector<TGroup> Groups;
        uint32_t Count = 0;
        int64_t More[TMarkingStore::Partitions] = {};
        int64_t Firings = 0;
        int64_t DeadCount = 0;
        int64_t FirstDead = -1;
        int64_t MaxTotal = 0;
        bool NeedsWiderCounts = false;
    };
    // A worker's set of the markings its current run reached: neighbouring
    // parents share many targets, and this small set keeps them in cache.
    struct TRunSet
    {
        struct TRef
        {
            uint64_t Hash;
            size_t Slot;
        };
        std::vector<uint32_t> Table;    // 1 + index into Refs, 0 when free
        std::vector<TRef> Refs;
        std::vector<uint64_t> Words;    // the markings, packed, in the order of Refs
        // One-word markings: their hash stands for them (it is one to one),
        // with 0 for a free slot and a flag for the marking whose hash is 0.
        std::vector<uint64_t> Hashes;
        std::vector<uint32_t> Used;
        bool ZeroSeen = false;
        // Looks the marking up, adding it when new; answers whether it was.
        bool Add(const uint64_t *marking, size_t words, uint64_t hash);
        void Clear();
    };
    // A candidate that a worker found new in its partitions, with its slot.
    struct TClaim
    {
        uint32_t Chunk;
        uint32_t Candidate;
        int64_t Slot;
        uint32_t Index = 0;     // the final index, once numbered
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
    void ExpandChunk(int64_t begin, int64_t end, int workers, TChunk &chunk, std::vector<uint8_t> &fired, TPending &q,
                     TRunSet &seen, TRecent &recent) const;
    void ClaimPartitions(const std::vector<TChunk> &chunks, int worker, std::vector<TClaim> &claims);
    // Per transition, the words its firing changes and what it adds to each,
    // for the current packing (a count's change shifted into place).
    void LayOutEffects();
    // A state's enabled transitions (in the order TFiringNet::EnabledIn
    // gives) and the total of its counts; `wide` tells whether a firing
    // passes the width of the packing. `cur` is filled when the state is
    // unpacked (always unless the word rule holds).
    int64_t EnabledAt(int64_t state, std::vector<int32_t> &cur, std::vector<int32_t> &enabled, bool &wide) const;
    // The same for a one-word marking by the word rule; answers the total.
    template<typename TTest>
    int64_t EnabledInWord(const TTest &test, uint64_t word, std::vector<int32_t> &enabled) const;
    // Queues the targets of the enabled transitions of a state with their
    // hashes, and fetches their slots ahead; targets found in `recent` are
    // left out.
    void PackTargets(int64_t state, const std::vector<int32_t> &enabled, TPending &q, const TRecent *recent) const;
    // Notes a marking just added: parent link, bounds, covered ancestors.
    bool NoteAdded(int64_t parent, int t, const uint8_t *packed);
    bool CoversAncestor(int64_t parent, int lastTransition, const int32_t *marking);
    // Ancestor steps the covering test may still take: it grows with the
    // states expanded, so the test never dominates the search.
    int64_t AncestorBudget = 1 << 20;
    std::vector<int64_t> NextCheck; // per place: the count at which to look for a covered ancestor again
    std::vector<int32_t> EffectStart, EffectWord;
    std::vector<uint64_t> EffectAdd;
    std::vector<uint64_t> WordEffect;
    TWordRule Rule;
    TRecent Recent;
    int LaidOutBits = 0;
};

template<typename TLookUp>
bool TReachability::Advance(TPending &q, bool drain, const TLookUp &lookUp) const
{
    const size_t n = q.Size();
    const size_t fetchTo = drain ? n : n > TPending::Lead ? n - TPending::Lead : 0;
    for (; q.Fetched < fetchTo; ++q.Fetched)
        Store.PrefetchMarking(q.Hashes[q.Fetched]);
    const size_t doTo = drain ? n : q.Fetched > TPending::Lead ? q.Fetched - TPending::Lead : 0;
    for (; q.Done < doTo; ++q.Done)
        if (!lookUp(q.Done))
            return false;
    q.Compact(size_t(Store.Words()));
    return true;
}
