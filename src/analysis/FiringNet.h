#pragma once
// The firing rule over flat arrays, shared by the searches of the analysis.

#include "AnalysisNet.h"

#include <cstdint>
#include <vector>

// Per transition its input weights and its effect; per place the transitions
// it triggers. Each transition is listed under one of its input places only
// (the one with the largest weight), so a marking offers as candidates just
// the transitions whose trigger place holds enough tokens: a net with many
// transitions is never tested transition by transition.
class TFiringNet
{
public:
    TFiringNet(const TAnalysisNet &net, bool sourceTransitionsFire);

    int PlaceCount() const { return Places; }
    int TransitionCount() const { return Transitions; }

    // Transitions enabled in the marking, into out.
    // `largest` bounds the counts of the marking: when no firing can then
    // leave the 32-bit range, the range test is skipped.
    template<typename Count>
    void EnabledIn(const Count *marking, std::vector<int32_t> &out, int64_t largest = INT64_MAX) const;
    // Whether the transition is enabled: enough tokens on every input and no
    // count leaves the 32-bit range (counts of Omega never run short or over).
    template<typename Count>
    bool IsEnabled(const Count *marking, int t, bool checkRange = true) const;

    // Transitions that may have led into the marking (those whose firing
    // could end in it), for searches against the direction of firing.
    template<typename Count>
    void ReverseCandidates(const Count *marking, std::vector<int32_t> &out) const
    {
        out.clear();
        for (int p = 0; p < Places; ++p)
            for (int i = ReverseStart[p]; i < ReverseStart[p + 1] && marking[p] > 0; ++i)
                if (int64_t(marking[p]) >= ReverseDelta[i])
                    out.push_back(ReverseTransition[i]);
        out.insert(out.end(), ReverseAlways.begin(), ReverseAlways.end());
    }

    // The places whose count the transition changes, and by how much.
    const int32_t *EffectPlaces(int t) const { return EffectPlace.data() + EffectStart[t]; }
    const int64_t *EffectDeltas(int t) const { return EffectDelta.data() + EffectStart[t]; }
    int EffectCount(int t) const { return EffectStart[t + 1] - EffectStart[t]; }
    int64_t TotalDelta(int t) const { return SumDelta[t]; }
    int64_t MaxRaise() const { return LargestRaise; }
    // The inputs of a transition and their weights.
    const int32_t *InputPlaces(int t) const { return PrePlace.data() + PreStart[t]; }
    const int32_t *InputWeights(int t) const { return PreWeight.data() + PreStart[t]; }
    int InputCount(int t) const { return PreStart[t + 1] - PreStart[t]; }
    // The transitions a place triggers (see above), with the weight each needs there.
    const int32_t *Triggered(int p) const { return TriggerTransition.data() + TriggerStart[p]; }
    const int32_t *TriggerWeights(int p) const { return TriggerWeight.data() + TriggerStart[p]; }
    int TriggerCount(int p) const { return TriggerStart[p + 1] - TriggerStart[p]; }
    // Where each place's list begins in the lists of all places (one more than places).
    const int32_t *TriggerStarts() const { return TriggerStart.data(); }
    const std::vector<int32_t> &SourceTransitions() const { return Sources; }

private:
    int Places = 0;
    int Transitions = 0;
    std::vector<int32_t> PreStart, PrePlace, PreWeight;
    std::vector<int32_t> EffectStart, EffectPlace;
    std::vector<int64_t> EffectDelta, SumDelta;
    int64_t LargestRaise = 0;       // the largest count a firing adds to a place
    std::vector<int32_t> TriggerStart, TriggerTransition, TriggerWeight;
    std::vector<int32_t> Sources;   // transitions without inputs that fire anyway
    // Per place, the transitions that raise it most (listed once each), and
    // the firing transitions that raise no place.
    std::vector<int32_t> ReverseStart, ReverseTransition;
    std::vector<int64_t> ReverseDelta;
    std::vector<int32_t> ReverseAlways;
};

#include "FiringNetImpl.h"
