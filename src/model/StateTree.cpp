#include "StateTree.h"

TNetStateTreeNode::TNetStateTreeNode(int placeCount, int transitionCount, const QString &caption)
    : Marking(std::max(placeCount, 0), 0)
    , FireCounts(std::max(transitionCount, 0), 0)
    , Children(size_t(std::max(transitionCount, 0)))
    , Caption(caption)
{
}

TNetStateTreeNode::~TNetStateTreeNode() = default;

qint32 TNetStateTreeNode::Tokens(int k) const
{
    return k >= 0 && k < Marking.size() ? Marking.at(k) : 0;
}

void TNetStateTreeNode::SetTokens(int k, qint32 n)
{
    if (k >= 0 && k < Marking.size())
        Marking[k] = n;
}

qint32 TNetStateTreeNode::FireCount(int t) const
{
    return t >= 0 && t < FireCounts.size() ? FireCounts.at(t) : 0;
}

TNetStateTreeNode *TNetStateTreeNode::Child(int t) const
{
    return t >= 0 && size_t(t) < Children.size() ? Children[size_t(t)].get() : nullptr;
}

bool TNetStateTreeNode::HasChild(int t) const
{
    return Child(t) != nullptr;
}

TNetStateTreeNode *TNetStateTreeNode::GetOrAddChild(int t, const QString &caption)
{
    if (t < 0 || size_t(t) >= Children.size())
        return nullptr;
    std::unique_ptr<TNetStateTreeNode> &slot = Children[size_t(t)];
    if (!slot) {
        slot = std::make_unique<TNetStateTreeNode>(PlaceCount(), TransitionCount(), caption);
        slot->Parent = this;
        slot->Path = Path;
        slot->Path.append(t);
        slot->FireCounts = FireCounts;
        slot->FireCounts[t] = FireCounts[t] + 1;
    }
    return slot.get();
}
