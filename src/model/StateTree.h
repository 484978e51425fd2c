#pragma once

#include <QList>
#include <QString>
#include <QVector>

#include <memory>
#include <vector>

// One recorded marking of the token game. A node owns its children, one slot
// per transition, so a child is found by the index of the fired transition.
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

    QVector<qint32> Marking;
    QVector<qint32> FireCounts;
    std::vector<std::unique_ptr<TNetStateTreeNode>> Children;
    TNetStateTreeNode *Parent = nullptr;
    QList<qint32> Path;
    QString Caption;
};
