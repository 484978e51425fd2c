#pragma once
// Inline part of TFiringNet: the enabling test sits on the hot path of every search.

#include "AnalysisResult.h"

#include <algorithm>

template<typename Count>
bool TFiringNet::IsEnabled(const Count *marking, int t, bool checkRange) const
{
    for (int i = PreStart[t]; i < PreStart[t + 1]; ++i) {
        const int64_t m = int64_t(marking[PrePlace[i]]);
        if (m != Omega && m < PreWeight[i])
            return false;
    }
    if (!checkRange)
        return true;
    for (int i = EffectStart[t]; i < EffectStart[t + 1]; ++i) {
        const int64_t m = int64_t(marking[EffectPlace[i]]);
        if (m != Omega && EffectDelta[i] > 0 && m + EffectDelta[i] > INT32_MAX)
            return false;
    }
    return true;
}

template<typename Count>
void TFiringNet::EnabledIn(const Count *marking, std::vector<int32_t> &out, int64_t largest) const
{
    const bool checkRange = largest > INT32_MAX - LargestRaise;
    out.clear();
    for (int p = 0; p < Places; ++p) {
        const int64_t m = int64_t(marking[p]);
        if (m == 0)
            continue;
        for (int i = TriggerStart[p]; i < TriggerStart[p + 1]; ++i)
            if ((m == Omega || m >= TriggerWeight[i]) && IsEnabled(marking, TriggerTransition[i], checkRange))
                out.push_back(TriggerTransition[i]);
    }
    for (int32_t t : Sources)
        if (IsEnabled(marking, t, checkRange))
            out.push_back(t);
}
