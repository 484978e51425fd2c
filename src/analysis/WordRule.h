#pragma once
// The firing rule on a marking packed into one word: every input of a
// transition tested at once by a subtraction.

#include "FiringNet.h"
#include "MarkingStore.h"

// Counts on even and on odd places are tested apart: masking out the other
// half leaves a free bit above every count, set as a guard, so subtracting
// the transition's needs (packed the same way) borrows a guard exactly where
// a count is short. The guard of the last count may sit at bit 64: then the
// test takes 128-bit arithmetic. The same test with the roles swapped tells whether a
// firing keeps every count within the width of the packing.
class TWordRule
{
public:
    using TWide = unsigned __int128;

    // Whether the rule holds for this packing: one word, and counts the
    // width allows never pass the 32-bit range by a firing.
    bool On() const { return Active; }
    // Whether every guard sits within the word (64-bit arithmetic will do).
    bool Narrow() const { return IsNarrow; }
    // Transitions that may fire, in the order the per-place lists give them
    // (then those without inputs), when so few that testing each of them in
    // every state, without a branch, beats picking by place.
    static constexpr size_t ScanLimit = 64;
    bool Scans() const { return !ScanOrder.empty(); }
    const std::vector<int32_t> &Order() const { return ScanOrder; }
    // Whether no count of the marking is so high that a firing could pass
    // the width: then no firing of it needs the Fits test.
    bool Roomy(uint64_t marking) const
    {
        return NoBorrow<TWide>(Room[0], marking & Mask[0], Guard[0])
               && NoBorrow<TWide>(Room[1], marking & Mask[1], Guard[1]);
    }

    void Build(const TFiringNet &net, const TMarkingStore &store)
    {
        Active = store.Words() == 1 && store.WidthLimit() <= INT32_MAX - net.MaxRaise();
        const int transitions = net.TransitionCount();
        Entries.assign(size_t(transitions), TEntry());
        ScanOrder.clear();
        ScanEntries.clear();
        if (!Active)
            return;
        const uint64_t limit = uint64_t(store.WidthLimit());
        Mask[0] = Mask[1] = Room[0] = Room[1] = 0;
        Guard[0] = Guard[1] = 0;
        // A count up to the width less the largest raise stays within it.
        const uint64_t room = limit > uint64_t(net.MaxRaise()) ? limit - uint64_t(net.MaxRaise()) : 0;
        for (int p = 0; p < net.PlaceCount(); ++p) {
            Mask[p & 1] |= limit << store.ShiftOf(p);
            Room[p & 1] |= room << store.ShiftOf(p);
            Guard[p & 1] |= TWide(1) << (store.ShiftOf(p) + store.Bits());
        }
        IsNarrow = net.PlaceCount() * store.Bits() < 64;
        for (int t = 0; t < transitions; ++t) {
            const int32_t *places = net.InputPlaces(t);
            const int32_t *weights = net.InputWeights(t);
            for (int k = 0; k < net.InputCount(t); ++k) {
                if (uint64_t(weights[k]) > limit)
                    Entries[t].Never = true;
                else
                    Entries[t].Need[places[k] & 1] |= uint64_t(weights[k]) << store.ShiftOf(places[k]);
            }
            const int32_t *effectPlaces = net.EffectPlaces(t);
            const int64_t *deltas = net.EffectDeltas(t);
            for (int k = 0; k < net.EffectCount(t); ++k) {
                const int p = effectPlaces[k];
                if (deltas[k] <= 0)
                    continue;
                if (uint64_t(deltas[k]) > limit) {
                    Entries[t].Widens = true;
                    continue;
                }
                Entries[t].Cap[p & 1] |= (limit - uint64_t(deltas[k])) << store.ShiftOf(p);
                Entries[t].Raised[p & 1] |= limit << store.ShiftOf(p);
            }
        }
        ScanOrder.assign(net.Triggered(0), net.Triggered(0) + net.TriggerStarts()[net.PlaceCount()]);
        ScanOrder.insert(ScanOrder.end(), net.SourceTransitions().begin(), net.SourceTransitions().end());
        if (ScanOrder.size() > ScanLimit)
            ScanOrder.clear();
        for (int32_t t : ScanOrder)
            ScanEntries.push_back(Entries[t]);
    }

private:
    // Per transition, for even places then odd ones: the weights it needs,
    // how far the places it raises may be filled, and their masks; whether
    // it needs more than a count of this width holds, and whether it raises
    // a place by more.
    struct TEntry
    {
        uint64_t Need[2] = {};
        uint64_t Cap[2] = {};
        uint64_t Raised[2] = {};
        bool Never = false;
        bool Widens = false;
    };

    // Whether every field of a is at least the same field of b.
    template<typename TArith>
    static bool NoBorrow(uint64_t a, uint64_t b, TArith guard)
    {
        return (((TArith(a) | guard) - b) & guard) == guard;
    }

public:
    // The test itself, with what it reads at hand (in registers while a
    // state's transitions are tested), in 64-bit arithmetic when Narrow.
    template<typename TArith>
    class TTest
    {
    public:
        bool IsEnabled(uint64_t marking, int t) const
        {
            const TEntry &e = Entries[t];
            return !e.Never && NoBorrow(marking & Mask0, e.Need[0], Guard0)
                   && NoBorrow(marking & Mask1, e.Need[1], Guard1);
        }
        // The same for the k-th transition of Order(), without a branch.
        bool IsEnabledAt(uint64_t marking, size_t k) const
        {
            const TEntry &e = Scanned[k];
            return !e.Never & NoBorrow(marking & Mask0, e.Need[0], Guard0)
                   & NoBorrow(marking & Mask1, e.Need[1], Guard1);
        }
        // Whether firing t (enabled) keeps every count within the width.
        bool Fits(uint64_t marking, int t) const
        {
            const TEntry &e = Entries[t];
            return !e.Widens && NoBorrow(e.Cap[0], marking & e.Raised[0], Guard0)
                   && NoBorrow(e.Cap[1], marking & e.Raised[1], Guard1);
        }

    private:
        friend class TWordRule;
        const TEntry *Entries = nullptr;
        const TEntry *Scanned = nullptr;
        uint64_t Mask0 = 0, Mask1 = 0;
        TArith Guard0 = 0, Guard1 = 0;
    };
    template<typename TArith>
    TTest<TArith> Test() const
    {
        TTest<TArith> test;
        test.Entries = Entries.data();
        test.Scanned = ScanEntries.data();
        test.Mask0 = Mask[0];
        test.Mask1 = Mask[1];
        test.Guard0 = TArith(Guard[0]);
        test.Guard1 = TArith(Guard[1]);
        return test;
    }

private:
    bool Active = false;
    bool IsNarrow = false;
    uint64_t Mask[2] = {};
    uint64_t Room[2] = {};
    TWide Guard[2] = {};
    std::vector<TEntry> Entries;
    std::vector<int32_t> ScanOrder;
    std::vector<TEntry> ScanEntries;    // the entries of ScanOrder, in its order
};
