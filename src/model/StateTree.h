#pragma once

#include <QList>
#include <QString>
#include <QVector>

#include <memory>
#include <vector>

// One recorded marking of the token game. A node owns its children, at most
// one per transition, kept sorted by the index of the fired transition so
// that one is found by binary search; a node holds only the children that
// exist, however many transitions the net has.
class TNetStateTreeNode
{
public:
    TNetStateTreeNode(int placeCount, int transitionCount, const QString &caption);
    ~TNetStateTreeNode();
    TNetStateTreeNode(const TNetStateTreeNode &) = delete;
    TNetStateTreeNode &operator=(const TNetStateTreeNode &) = delete;

    qint32 Tokens(int k) const;
    void SetTokens(int k, qint32 n);
    qint32 FireCount(int t) const;
    TNetStateTreeNode *Child(int t) const;
    bool HasChild(int t) const;
    TNetStateTreeNode *GetOrAddChild(int t, const QString &caption);
    int PlaceCount() const { return int(Marking.size()); }
    int TransitionCount() const { return int(FireCounts.size()); }
    int ChildCount() const { return int(Children.size()); }

    struct TChild
    {
        qint32 Transition;
        std::unique_ptr<TNetStateTreeNode> Node;
    };

    QVector<qint32> Marking;
    QVector<qint32> FireCounts;
    std::vector<TChild> Children; // ascending by Transition
    TNetStateTreeNode *Parent = nullptr;
    QList<qint32> Path;
    QString Caption;
};
