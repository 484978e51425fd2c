#include "StateViews.h"

#include "StateTree.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

TStateTreeItem::TStateTreeItem(TNetStateTreeNode *node, int placeCount)
    : QTreeWidgetItem(QStringList{QString()})
    , Node(node)
    , Places(placeCount)
{
}

QVariant TStateTreeItem::data(int column, int role) const
{
    if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole))
        return Text(role == Qt::DisplayRole ? DisplayLength : -1);
    return QTreeWidgetItem::data(column, role);
}

QString TStateTreeItem::Text(qsizetype length) const
{
    if (!WholeText.isNull())
        return length >= 0 && WholeText.size() > length ? WholeText.left(length) : WholeText;
    // The marking is rebuilt from the tree once, not looked up place by place.
    const QVector<qint32> marking = Node->Marking();
    QString text;
    text.reserve(length >= 0 ? length + 16 : 3 * Places + Node->Caption.size() + 8);
    text += QLatin1Char('(');
    for (int k = 0; k < Places; ++k) {
        if (k > 0)
            text += QStringLiteral(", ");
        text += QString::number(k < marking.size() ? marking[k] : 0);
        if (length >= 0 && text.size() > length)
            return text.left(length);
    }
    text += QStringLiteral(") - ") + Node->Caption;
    if (length >= 0 && text.size() > length)
        return text.left(length);
    WholeText = text;
    return text;
}

int TStateTreeItem::SortedIndex(const QTreeWidgetItem *parent, const QTreeWidgetItem *item)
{
    // The children are kept in order, so a binary search finds the place
    // after every child that does not sort after the item's text.
    int low = 0, high = parent->childCount();
    if (high == 0)
        return 0;
    const QString text = item->text(0);
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (QString::localeAwareCompare(parent->child(middle)->text(0), text) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

namespace {
// Paints a row with its text cut a little beyond what the row can show: the
// row elides it there anyway (every character of a marking is wider than a
// quarter pixel), so the pixels are the same while a marking of a large net
// is neither made nor measured in full.
class TStateTreeDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        TStateTreeItem::DisplayLength = 64 + 4 * qsizetype(qMax(option->rect.width(), 0));
        QStyledItemDelegate::initStyleOption(option, index);
        TStateTreeItem::DisplayLength = -1;
    }
};
} // namespace

TStateTreeView::TStateTreeView(QWidget *parent)
    : QTreeWidget(parent)
{
    setItemDelegate(new TStateTreeDelegate(this));
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

void TStateTreeView::SetCurrentExpandedItem(QTreeWidgetItem *item)
{
    // The view expands the ancestors only while it is in no other state,
    // also when it scrolls to a new current item by itself.
    const State before = state();
    setState(ExpandingState);
    setCurrentItem(item);
    scrollToItem(item);
    setState(before);
}

void TStateTreeView::drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const
{
    // A row of a long run lies thousands of levels deep, and the base class
    // asks the style for the branch of every level, walking up the parents.
    // Without lines the style draws only the row's own expander, so that
    // one alone is drawn here, with the options the base class gives it.
    if (rootIsDecorated() || alternatingRowColors() || !index.parent().isValid()) {
        QTreeWidget::drawBranches(painter, rect, index);
        return;
    }
    const bool reverse = isRightToLeft();
    const int indent = indentation();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = QRect(reverse ? rect.left() : rect.right() + 1 - indent, rect.top(), indent, rect.height());
    QStyle::State state = QStyle::State_Item;
    if (isEnabled())
        state |= QStyle::State_Enabled;
    if (hasFocus())
        state |= QStyle::State_Active;
    if (selectionModel() && selectionModel()->isSelected(index))
        state |= QStyle::State_Selected;
    if (index.row() < model()->rowCount(index.parent()) - 1)
        state |= QStyle::State_Sibling;
    if (model()->hasChildren(index))
        state |= QStyle::State_Children;
    if (isExpanded(index))
        state |= QStyle::State_Open;
    if (viewport()->underMouse()) {
        const QPoint mouse = viewport()->mapFromGlobal(QCursor::pos());
        const bool hoverRow = selectionBehavior() == SelectRows && option.showDecorationSelected &&
                              indexAt(mouse).row() == index.row() && indexAt(mouse).parent() == index.parent();
        if (hoverRow || option.rect.contains(mouse))
            state |= QStyle::State_MouseOver;
    }
    option.state = state;
    const QPoint origin = painter->brushOrigin();
    if (verticalScrollMode() == ScrollPerPixel)
        painter->setBrushOrigin(QPoint(0, verticalOffset()));
    style()->drawPrimitive(QStyle::PE_IndicatorBranch, &option, painter, this);
    painter->setBrushOrigin(origin);
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
