#pragma once
// The firing rule on a marking packed into one word: every input of a
// transition tested at once by a subtraction.

#include "FiringNet.h"
#include "MarkingStore.h"

// Counts on even and on odd places are tested apart: masking out the other
// half leaves a free bit above every count, set as a guard, so subtracting
// the transition's needs (packed the same way) borrows a guard exactly where
// a count is short. The guard of the last count may sit at bit 64, hence the
// 128-bit arithmetic. The same test with the roles swapped tells whether a
// firing keeps every count within the width of the packing.
class TWordRule
{
public:
    using TWide = unsigned __int128;

    // Whether the rule holds for this packing: one word, and counts the
    // width allows never pass the 32-bit range by a firing.
    bool On() const { return Active; }

    void Build(const TFiringNet &net, const TMarkingStore &store)
    {
        Active = store.Words() == 1 && store.WidthLimit() <= INT32_MAX - net.MaxRaise();
        const int transitions = net.TransitionCount();
        Need.assign(size_t(transitions) * 2, 0);
        Cap.assign(size_t(transitions) * 2, 0);
        Raised.assign(size_t(transitions) * 2, 0);
        Never.assign(size_t(transitions), 0);
        Widens.assign(size_t(transitions), 0);
        if (!Active)
            return;
        const uint64_t limit = uint64_t(store.WidthLimit());
        Mask[0] = Mask[1] = 0;
        Guard[0] = Guard[1] = 0;
        for (int p = 0; p < net.PlaceCount(); ++p) {
            Mask[p & 1] |= limit << store.ShiftOf(p);
            Guard[p & 1] |= TWide(1) << (store.ShiftOf(p) + store.Bits());
        }
        for (int t = 0; t < transitions; ++t) {
            const int32_t *places = net.InputPlaces(t);
            const int32_t *weights = net.InputWeights(t);
            for (int k = 0; k < net.InputCount(t); ++k) {
                if (uint64_t(weights[k]) > limit)
                    Never[t] = 1;   // more than any count of this width
                else
                    Need[2 * t + (places[k] & 1)] |= uint64_t(weights[k]) << store.ShiftOf(places[k]);
            }
            const int32_t *effectPlaces = net.EffectPlaces(t);
            const int64_t *deltas = net.EffectDeltas(t);
            for (int k = 0; k < net.EffectCount(t); ++k) {
                const int p = effectPlaces[k];
                if (deltas[k] <= 0)
                    continue;
                if (uint64_t(deltas[k]) > limit) {
                    Widens[t] = 1;
                    continue;
                }
                Cap[2 * t + (p & 1)] |= (limit - uint64_t(deltas[k])) << store.ShiftOf(p);
                Raised[2 * t + (p & 1)] |= limit << store.ShiftOf(p);
            }
        }
    }

    bool IsEnabled(uint64_t marking, int t) const
    {
        return !Never[t] && NoBorrow(marking & Mask[0], Need[2 * t], Guard[0])
               && NoBorrow(marking & Mask[1], Need[2 * t + 1], Guard[1]);
    }
    // Whether firing t (enabled) keeps every count within the width.
    bool Fits(uint64_t marking, int t) const
    {
        return !Widens[t] && NoBorrow(Cap[2 * t], marking & Raised[2 * t], Guard[0])
               && NoBorrow(Cap[2 * t + 1], marking & Raised[2 * t + 1], Guard[1]);
    }

private:
    // Whether every field of a is at least the same field of b.
    static bool NoBorrow(uint64_t a, uint64_t b, TWide guard) { return (((TWide(a) | guard) - b) & guard) == guard; }

    bool Active = false;
    uint64_t Mask[2] = {};
    TWide Guard[2] = {};
    // Per transition, for even places then odd ones: the weights it needs,
    // how far the places it raises may be filled, and their masks.
    std::vector<uint64_t> Need, Cap, Raised;
    std::vector<uint8_t> Never, Widens;
};
