#include "PetryNet.h"

#include "PetryNetPrivate.h"

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
        CurrentState = child;
        for (int k = 0; k < PlaceCount(); ++k)
            Places[k]->SetTokens(child->Tokens(k));
    } else if (TNetStateTreeNode *added = CurrentState->GetOrAddChild(t, transition->Name)) {
        CurrentState = added;
        for (int k = 0; k < PlaceCount(); ++k)
            added->SetTokens(k, Places[k]->Tokens);
    }
    NotifyStateChange();
}

int TPetryNet::TransitionIndexOf(const TTransfer *transition)
{
    const int known = TransitionIndex.value(transition, -1);
    if (known >= 0 && known < TransitionCount() && Transitions[known] == transition)
        return known;
    TransitionIndex.clear();
    TransitionIndex.reserve(TransitionCount());
    for (int i = 0; i < TransitionCount(); ++i)
        TransitionIndex.insert(Transitions[i], i);
    return TransitionIndex.value(transition, -1);
}

void TPetryNet::GoToState(TNetStateTreeNode *node)
{
    if (!node)
        return;
    CurrentState = node;
    const TUndoGroup step(*this);
    for (int k = 0; k < PlaceCount(); ++k)
        Places[k]->SetTokens(node->Tokens(k));
}
