#include "PetryNet.h"

#include "PetryNetPrivate.h"

#include <algorithm>

void TPetryNet::StartModelling()
{
    if (Modelling || !CanStartModelling())
        return;
    CancelSelection();
    RootState = std::make_unique<TNetStateTreeNode>(PlaceCount(), TransitionCount(),
                                                    QStringLiteral("начальное состояние"));
    for (int k = 0; k < PlaceCount(); ++k)
        RootState->SetTokens(k, Places[k]->Tokens);
    CurrentState = RootState.get();
    Modelling = true;
    NotifyStateChange();
}

void TPetryNet::EndModelling()
{
    if (!Modelling)
        return;
    Modelling = false;
    CurrentState = nullptr;
    RootState.reset();
    TransitionIndex.clear();
}

bool TPetryNet::FireAt(int x, int y)
{
    if (!Modelling)
        return false;
    TStaticNetElement *node = NodeAt(x, y);
    if (!node || node->Kind != KindTransition)
        return false;
    auto *transition = static_cast<TTransfer *>(node);
    if (!transition->IsEnabled())
        return false;
    transition->Fire();
    return true;
}

int TPetryNet::EnabledCount() const
{
    if (!Modelling)
        return 0;
    int n = 0;
    for (const TTransfer *t : Transitions)
        n += t->IsEnabled();
    return n;
}

void TPetryNet::RecordFiring(TTransfer *transition)
{
    // A firing outside modelling has no tree to record in.
    if (!CurrentState)
        return;
    const int t = TransitionIndexOf(transition);
    if (TNetStateTreeNode *child = CurrentState->Child(t)) {
        // The same firing from the same marking: its places reach the
        // counts recorded then.
        CurrentState = child;
        for (const auto &[k, n] : child->Changes())
            if (TPosition *place = Place(k))
                place->SetTokens(n);
    } else if (TNetStateTreeNode *added = CurrentState->GetOrAddChild(t, transition->Name)) {
        // The places the firing touched, each with its net effect, from
        // which its count before the firing follows.
        std::vector<std::pair<TPosition *, qint64>> effects;
        effects.reserve(size_t(transition->ArcCount()));
        for (const TArc *arc : transition->ArcList)
            if (TPosition *place = arc->Place())
                effects.emplace_back(place, arc->TransitionToPlace ? qint64(arc->Multiplicity) : -qint64(arc->Multiplicity));
        std::sort(effects.begin(), effects.end());
        for (size_t i = 0; i < effects.size();) {
            TPosition *place = effects[i].first;
            qint64 effect = 0;
            for (; i < effects.size() && effects[i].first == place; ++i)
                effect += effects[i].second;
            added->NoteChange(PlaceIndexOf(place), qint32(place->Tokens - effect), place->Tokens);
        }
        CurrentState = added;
    }
    NotifyStateChange();
}

int TPetryNet::TransitionIndexOf(const TTransfer *transition)
{
    const int known = TransitionIndex.value(transition, -1);
    if (known >= 0 && known < TransitionCount() && Transitions[known] == transition)
        return known;
    IndexNodes();
    return TransitionIndex.value(transition, -1);
}

int TPetryNet::PlaceIndexOf(const TPosition *place)
{
    const int known = TransitionIndex.value(place, -1);
    if (known >= 0 && known < PlaceCount() && Places[known] == place)
        return known;
    IndexNodes();
    return TransitionIndex.value(place, -1);
}

void TPetryNet::IndexNodes()
{
    TransitionIndex.clear();
    TransitionIndex.reserve(TransitionCount() + PlaceCount());
    for (int i = 0; i < TransitionCount(); ++i)
        TransitionIndex.insert(Transitions[i], i);
    for (int k = 0; k < PlaceCount(); ++k)
        TransitionIndex.insert(Places[k], k);
}

void TPetryNet::GoToState(TNetStateTreeNode *node)
{
    if (!node)
        return;
    CurrentState = node;
    const TUndoGroup step(*this);
    const QVector<qint32> marking = node->Marking();
    for (int k = 0; k < PlaceCount(); ++k)
        Places[k]->SetTokens(k < marking.size() ? marking[k] : 0);
}
