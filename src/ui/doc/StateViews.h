#pragma once

#include <QListWidget>
#include <QTreeWidget>

#include <functional>

class TNetStateTreeNode;

// An item of the state tree: one recorded marking. Items under one parent are
// ordered by their texts as the locale compares them.
class TStateTreeItem : public QTreeWidgetItem
{
public:
    TStateTreeItem(TNetStateTreeNode *node, const QString &text);
    // Where a child with this text belongs among the parent's children.
    static int SortedIndex(const QTreeWidgetItem *parent, const QString &text);

    TNetStateTreeNode *Node;
};

// The tree of visited markings: read-only, whole rows, no lines, no decoration
// for the top level, selection kept visible when the focus is elsewhere.
class TStateTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TStateTreeView(QWidget *parent = nullptr);
    TStateTreeItem *StateItem(QTreeWidgetItem *item) const { return static_cast<TStateTreeItem *>(item); }
};

// An owner-drawn list with fixed 16-pixel rows. Rows and the space below the
// last row are painted by the owner; mouse releases are reported after the
// list has handled them (so a click first selects its row).
class TOwnerDrawList : public QListWidget
{
    Q_OBJECT
public:
    using TDrawItem = std::function<void(QPainter &canvas, int index, const QRect &rect, bool selected, bool focused)>;
    using TDrawBackground = std::function<void(QPainter &canvas)>;
    using TMouseUp = std::function<void(Qt::MouseButton button, QPoint point)>;

    explicit TOwnerDrawList(QWidget *parent = nullptr);

    static constexpr int RowHeight = 16;
    TDrawItem OnDrawItem;
    TDrawBackground OnDrawBackground;
    TMouseUp OnMouseUp;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
