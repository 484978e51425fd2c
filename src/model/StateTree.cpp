#include "StateTree.h"

#include <algorithm>

namespace {

template <class TChildren>
auto FindSlot(TChildren &children, int t)
{
    return std::lower_bound(children.begin(), children.end(), t,
                            [](const TNetStateTreeNode::TChild &c, int key) { return c.Transition < key; });
}

// One place's share of a marking's hash; the hash is the sum over places, so
// a change of one count updates it in constant time.
quint64 MarkingTerm(int k, qint32 n)
{
    quint64 x = (quint64(quint32(k)) << 32 | quint32(n)) + 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

template <class TChanges>
auto FindPlace(TChanges &changes, int k)
{
    return std::lower_bound(changes.begin(), changes.end(), k,
                            [](const std::pair<qint32, qint32> &c, int key) { return c.first < key; });
}

} // namespace

TNetStateTreeNode::TNetStateTreeNode(int placeCount, int transitionCount, const QString &caption)
    : Caption(caption)
    , Places(std::max(placeCount, 0))
    , Transitions(std::max(transitionCount, 0))
    , RootMarking(Places, 0)
{
    for (int k = 0; k < Places; ++k)
        Hash += MarkingTerm(k, 0);
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

int TNetStateTreeNode::CheckpointSpacing() const
{
    // A copy costs as much as a node's share of the walk it saves: on
    // average a few bytes per node, however large the net.
    return std::max(64, (Places + Transitions) / 4);
}

qint32 TNetStateTreeNode::Tokens(int k) const
{
    if (k < 0 || k >= Places)
        return 0;
    const TNetStateTreeNode *node = this;
    for (; node->Parent; node = node->Parent) {
        const auto it = FindPlace(node->ChangedPlaces, k);
        if (it != node->ChangedPlaces.end() && it->first == k)
            return it->second;
        if (node->Saved)
            return node->Saved->Marking.at(k);
    }
    return node->RootMarking.at(k);
}

void TNetStateTreeNode::SetTokens(int k, qint32 n)
{
    if (k < 0 || k >= Places)
        return;
    const qint32 before = Tokens(k);
    Hash += MarkingTerm(k, n) - MarkingTerm(k, before);
    if (!Parent) {
        RootMarking[k] = n;
        return;
    }
    Saved.reset();
    const auto it = FindPlace(ChangedPlaces, k);
    if (it != ChangedPlaces.end() && it->first == k)
        it->second = n;
    else
        ChangedPlaces.insert(it, {k, n});
}

void TNetStateTreeNode::NoteChange(int k, qint32 before, qint32 after)
{
    if (k < 0 || k >= Places || !Parent)
        return;
    const auto it = FindPlace(ChangedPlaces, k);
    if (it != ChangedPlaces.end() && it->first == k)
        return;
    Saved.reset();
    ChangedPlaces.insert(it, {k, after});
    Hash += MarkingTerm(k, after) - MarkingTerm(k, before);
}

QVector<qint32> TNetStateTreeNode::Marking() const
{
    // The path's nodes from the root (or the nearest copy) down, each
    // writing its changes over; copies are left at the spaced depths passed.
    std::vector<const TNetStateTreeNode *> chain;
    const TNetStateTreeNode *node = this;
    for (; node->Parent && !node->Saved; node = node->Parent)
        chain.push_back(node);
    QVector<qint32> marking = node->Saved ? node->Saved->Marking : node->RootMarking;
    QVector<qint32> counts = node->Saved ? node->Saved->Counts : QVector<qint32>(Transitions, 0);
    const int spacing = CheckpointSpacing();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const TNetStateTreeNode *n = *it;
        for (const auto &[k, tokens] : n->ChangedPlaces)
            marking[k] = tokens;
        ++counts[n->Transition];
        if (n->Depth % spacing == 0)
            n->Saved.reset(new TCheckpoint{marking, counts});
    }
    return marking;
}

bool TNetStateTreeNode::HasMarking(const QList<qint32> &marking) const
{
    if (marking.size() != Places)
        return false;
    quint64 hash = 0;
    for (int k = 0; k < Places; ++k)
        hash += MarkingTerm(k, marking.at(k));
    return hash == Hash && Marking() == marking;
}

qint32 TNetStateTreeNode::FireCount(int t) const
{
    if (t < 0 || t >= Transitions)
        return 0;
    for (const TNetStateTreeNode *node = this; node->Parent; node = node->Parent) {
        if (node->Transition == t)
            return node->TransitionFireCount;
        if (node->Saved)
            return node->Saved->Counts.at(t);
    }
    return 0;
}

QVector<qint32> TNetStateTreeNode::FireCounts() const
{
    const TNetStateTreeNode *node = this;
    std::vector<qint32> fired;
    for (; node->Parent && !node->Saved; node = node->Parent)
        fired.push_back(node->Transition);
    QVector<qint32> counts = node->Saved ? node->Saved->Counts : QVector<qint32>(Transitions, 0);
    for (const qint32 t : fired)
        ++counts[t];
    return counts;
}

QList<qint32> TNetStateTreeNode::Path() const
{
    QList<qint32> path(Depth);
    for (const TNetStateTreeNode *node = this; node->Parent; node = node->Parent)
        path[node->Depth - 1] = node->Transition;
    return path;
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
    auto node = std::make_unique<TNetStateTreeNode>(0, 0, caption);
    node->Places = Places;
    node->Transitions = Transitions;
    node->Parent = this;
    node->Transition = t;
    node->Depth = Depth + 1;
    node->TransitionFireCount = FireCount(t) + 1;
    node->Hash = Hash;
    return Children.insert(it, TChild{t, std::move(node)})->Node.get();
}
