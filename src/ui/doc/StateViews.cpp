#include "StateViews.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

TStateTreeItem::TStateTreeItem(TNetStateTreeNode *node, const QString &text)
    : QTreeWidgetItem(QStringList{text})
    , Node(node)
{
}

int TStateTreeItem::SortedIndex(const QTreeWidgetItem *parent, const QString &text)
{
    // The children are kept in order, so a binary search finds the place
    // after every child that does not sort after text.
    int low = 0, high = parent->childCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (QString::localeAwareCompare(parent->child(middle)->text(0), text) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

TStateTreeView::TStateTreeView(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setIndentation(15);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setAllColumnsShowFocus(true);
    setUniformRowHeights(true);
    setFrameShape(QFrame::NoFrame);
    // The selected state stays marked while the user works on the canvas.
    QPalette p = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
    setPalette(p);
}

namespace {
// Hands every row to the list's owner; no focus rectangle is drawn.
class TOwnerDrawDelegate : public QStyledItemDelegate
{
public:
    explicit TOwnerDrawDelegate(TOwnerDrawList *list)
        : QStyledItemDelegate(list)
        , List(list)
    {
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (!List->OnDrawItem)
            return;
        painter->save();
        painter->setFont(option.font);
        List->OnDrawItem(*painter, index.row(), option.rect, option.state.testFlag(QStyle::State_Selected),
                         option.state.testFlag(QStyle::State_HasFocus));
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return {List->viewport()->width(), TOwnerDrawList::RowHeight};
    }

private:
    TOwnerDrawList *List;
};
} // namespace

TOwnerDrawList::TOwnerDrawList(QWidget *parent)
    : QListWidget(parent)
{
    setItemDelegate(new TOwnerDrawDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TOwnerDrawList::paintEvent(QPaintEvent *event)
{
    if (OnDrawBackground) {
        QPainter canvas(viewport());
        OnDrawBackground(canvas);
    }
    QListWidget::paintEvent(event);
}

void TOwnerDrawList::mouseReleaseEvent(QMouseEvent *event)
{
    QListWidget::mouseReleaseEvent(event);
    if (OnMouseUp)
        OnMouseUp(event->button(), event->position().toPoint());
}
