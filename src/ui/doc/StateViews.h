#pragma once

#include <QListWidget>
#include <QTreeWidget>

#include <functional>

class TNetStateTreeNode;

// An item of the state tree: one recorded marking, shown as
// "(m1, m2, ..., mP) - caption". Items under one parent are ordered by their
// texts as the locale compares them. The text of a large net's marking runs
// to megabytes, so it is made only when asked for, and a row being painted
// gets it cut where the row elides it anyway.
class TStateTreeItem : public QTreeWidgetItem
{
public:
    TStateTreeItem(TNetStateTreeNode *node, int placeCount);
    QVariant data(int column, int role) const override;
    // The text, or its first length characters when length is not negative.
    QString Text(qsizetype length = -1) const;
    // Where item belongs among the parent's children.
    static int SortedIndex(const QTreeWidgetItem *parent, const QTreeWidgetItem *item);

    TNetStateTreeNode *Node;
    // While not negative, the displayed text is cut to this length (set by
    // the view while it paints a row).
    static inline qsizetype DisplayLength = -1;

private:
    int Places;
    mutable QString WholeText; // made once asked for in full
};

// The tree of visited markings: read-only, whole rows, no lines, no decoration
// for the top level, selection kept visible when the focus is elsewhere.
class TStateTreeView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TStateTreeView(QWidget *parent = nullptr);
    TStateTreeItem *StateItem(QTreeWidgetItem *item) const { return static_cast<TStateTreeItem *>(item); }
    // Makes item current and scrolls it into view when every ancestor of it
    // is expanded: the view's own walk up the ancestors to expand them, as
    // long as the tree is deep, is left out.
    void SetCurrentExpandedItem(QTreeWidgetItem *item);

protected:
    void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;
    // The base class walks up from the last row, as deep as the tree, to
    // fetch more data, which a tree of items never has.
    void verticalScrollbarValueChanged(int value) override { QAbstractItemView::verticalScrollbarValueChanged(value); }
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
