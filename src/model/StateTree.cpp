#include "StateTree.h"

#include <algorithm>

namespace {

template <class TChildren>
auto FindSlot(TChildren &children, int t)
{
    return std::lower_bound(children.begin(), children.end(), t,
                            [](const TNetStateTreeNode::TChild &c, int key) { return c.Transition < key; });
}

} // namespace

TNetStateTreeNode::TNetStateTreeNode(int placeCount, int transitionCount, const QString &caption)
    : Marking(std::max(placeCount, 0), 0)
    , FireCounts(std::max(transitionCount, 0), 0)
    , Caption(caption)
{
}

TNetStateTreeNode::~TNetStateTreeNode()
{
    // One node after another rather than recursively: a long run of firings
    // makes a chain deeper than the stack would allow.
    std::vector<std::unique_ptr<TNetStateTreeNode>> doomed;
    auto takeChildren = [&doomed](TNetStateTreeNode &node) {
        for (TChild &c : node.Children)
            doomed.push_back(std::move(c.Node));
        node.Children.clear();
    };
    takeChildren(*this);
    while (!doomed.empty()) {
        std::unique_ptr<TNetStateTreeNode> node = std::move(doomed.back());
        doomed.pop_back();
        takeChildren(*node);
    }
}

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
    const auto it = FindSlot(Children, t);
    return it != Children.end() && it->Transition == t ? it->Node.get() : nullptr;
}

bool TNetStateTreeNode::HasChild(int t) const
{
    return Child(t) != nullptr;
}

TNetStateTreeNode *TNetStateTreeNode::GetOrAddChild(int t, const QString &caption)
{
    if (t < 0 || t >= TransitionCount())
        return nullptr;
    auto it = FindSlot(Children, t);
    if (it != Children.end() && it->Transition == t)
        return it->Node.get();
    auto node = std::make_unique<TNetStateTreeNode>(PlaceCount(), 0, caption);
    node->Parent = this;
    node->Path = Path;
    node->Path.append(t);
    node->FireCounts = FireCounts;
    node->FireCounts[t] = FireCounts[t] + 1;
    return Children.insert(it, TChild{t, std::move(node)})->Node.get();
}
