#include "FiringNet.h"

#include <algorithm>

TFiringNet::TFiringNet(const TAnalysisNet &net, bool sourceTransitionsFire)
    : Places(net.PlaceCount())
    , Transitions(net.TransitionCount())
{
    std::vector<std::vector<std::pair<int32_t, int32_t>>> triggers(Places);
    PreStart.push_back(0);
    EffectStart.push_back(0);
    for (int t = 0; t < Transitions; ++t) {
        const QList<TArcWeight> &pre = net.Pre[t];
        const QList<TArcWeight> &post = net.Post[t];
        const TArcWeight *trigger = nullptr;
        for (const TArcWeight &a : pre) {
            PrePlace.push_back(a.Place);
            PreWeight.push_back(a.Weight);
            if (!trigger || a.Weight > trigger->Weight)
                trigger = &a;
        }
        PreStart.push_back(int32_t(PrePlace.size()));
        if (trigger)
            triggers[trigger->Place].push_back({t, trigger->Weight});
        else if (sourceTransitionsFire)
            Sources.push_back(t);
        // Both lists are sorted by place: merge them into the effect.
        int64_t sum = 0;
        qsizetype i = 0, j = 0;
        while (i < pre.size() || j < post.size()) {
            int32_t place;
            int64_t delta = 0;
            if (j == post.size() || (i < pre.size() && pre[i].Place < post[j].Place)) {
                place = pre[i].Place;
                delta = -int64_t(pre[i++].Weight);
            } else if (i == pre.size() || post[j].Place < pre[i].Place) {
                place = post[j].Place;
                delta = post[j++].Weight;
            } else {
                place = pre[i].Place;
                delta = int64_t(post[j++].Weight) - pre[i++].Weight;
            }
            if (delta != 0) {
                EffectPlace.push_back(place);
                EffectDelta.push_back(delta);
                sum += delta;
                LargestRaise = std::max(LargestRaise, delta);
            }
        }
        EffectStart.push_back(int32_t(EffectPlace.size()));
        SumDelta.push_back(sum);
    }
    std::vector<std::vector<std::pair<int32_t, int64_t>>> raises(static_cast<size_t>(Places));
    for (int t = 0; t < Transitions; ++t) {
        if (PreStart[t] == PreStart[t + 1] && !sourceTransitionsFire)
            continue;   // never fires
        int best = -1;
        for (int i = EffectStart[t]; i < EffectStart[t + 1]; ++i)
            if (EffectDelta[i] > 0 && (best < 0 || EffectDelta[i] > EffectDelta[best]))
                best = i;
        if (best >= 0)
            raises[EffectPlace[best]].push_back({t, EffectDelta[best]});
        else if (EffectStart[t] < EffectStart[t + 1])
            ReverseAlways.push_back(t);   // only takes tokens; a pure self-loop leads nowhere new
    }
    ReverseStart.push_back(0);
    for (int p = 0; p < Places; ++p) {
        for (auto [t, d] : raises[p]) {
            ReverseTransition.push_back(t);
            ReverseDelta.push_back(d);
        }
        ReverseStart.push_back(int32_t(ReverseTransition.size()));
    }

    TriggerStart.push_back(0);
    for (int p = 0; p < Places; ++p) {
        for (auto [t, w] : triggers[p]) {
            TriggerTransition.push_back(t);
            TriggerWeight.push_back(w);
        }
        TriggerStart.push_back(int32_t(TriggerTransition.size()));
    }
}
