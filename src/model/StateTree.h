#pragma once

#include <QList>
#include <QString>
#include <QVector>

#include <memory>
#include <utility>
#include <vector>

// One recorded marking of the token game. The root holds the whole marking;
// every other node holds only the places whose counts its firing changed, so
// recording a firing costs as much as the transition's arcs, however large
// the net. A whole marking, the fire counts and the path are rebuilt from
// the chain of parents when asked for; a whole marking rebuilt keeps copies
// at nodes spaced along the chain, where later walks up stop. A node owns its children, at most one
// per transition, kept sorted by the index of the fired transition so that
// one is found by binary search.
class TNetStateTreeNode
{
public:
    TNetStateTreeNode(int placeCount, int transitionCount, const QString &caption);
    ~TNetStateTreeNode();
    TNetStateTreeNode(const TNetStateTreeNode &) = delete;
    TNetStateTreeNode &operator=(const TNetStateTreeNode &) = delete;

    qint32 Tokens(int k) const;
    void SetTokens(int k, qint32 n);
    // Records that the firing into this node took place k from before to
    // after tokens; the first note of a place counts. No walk up the tree.
    void NoteChange(int k, qint32 before, qint32 after);
    // The places this node's firing changed, ascending, with their counts.
    const std::vector<std::pair<qint32, qint32>> &Changes() const { return ChangedPlaces; }
    QVector<qint32> Marking() const;
    // Whether the node's marking is the given one; most others are told apart
    // by a hash kept with each node.
    bool HasMarking(const QList<qint32> &marking) const;
    qint32 FireCount(int t) const;
    QVector<qint32> FireCounts() const;
    // Indices of the transitions fired from the root to this node.
    QList<qint32> Path() const;
    TNetStateTreeNode *Child(int t) const;
    bool HasChild(int t) const;
    // The child reached by firing t, added with this node's marking when new.
    TNetStateTreeNode *GetOrAddChild(int t, const QString &caption);
    int PlaceCount() const { return Places; }
    int TransitionCount() const { return Transitions; }
    int ChildCount() const { return int(Children.size()); }

    struct TChild
    {
        qint32 Transition;
        std::unique_ptr<TNetStateTreeNode> Node;
    };

    std::vector<TChild> Children; // ascending by Transition
    TNetStateTreeNode *Parent = nullptr;
    QString Caption;
    qint32 Transition = -1; // the one fired from the parent
    qint32 Depth = 0;

private:
    qint32 Places = 0;
    qint32 Transitions = 0;
    QVector<qint32> RootMarking;                               // the root's only
    std::vector<std::pair<qint32, qint32>> ChangedPlaces;      // others': place, count
    qint32 TransitionFireCount = 0; // how often Transition has fired up to here
    quint64 Hash = 0;               // sum of every place's term, see MarkingTerm
    // The whole marking and fire counts of a node at a depth divisible by
    // CheckpointSpacing, kept once a rebuild passes it.
    struct TCheckpoint
    {
        QVector<qint32> Marking;
        QVector<qint32> Counts;
    };
    mutable std::unique_ptr<TCheckpoint> Saved;
    int CheckpointSpacing() const;
};
