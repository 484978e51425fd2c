// The state panel: the tree of visited markings and the list of transitions
// with their firing counts, and how both show the net's current state.
#include "NetStatePanel.h"

#include "FocusFrames.h"
#include "PetryNet.h"
#include "StateViews.h"
#include "controls/ColorMap.h"
#include "controls/PanelUnit.h"

#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
// The panel's content is this tall at least (a few rows of the tree and of
// the list); a shorter panel scrolls it.
constexpr int StateScrollPanelHeight = 200;
// Width of the firing-count column at the right of the transition list.
constexpr int CountColumnWidth = 50;
// Width of the marker strip at the left of a row; a click there fires.
constexpr int MarkerWidth = 10;

// A row of the transition list. Every row lists the state the panel shows,
// kept once in the panel, so showing another state leaves the rows alone.
class TTransferRow : public QListWidgetItem
{
public:
    TTransferRow(const QString &name, TNetStateTreeNode *const &state, QListWidget *list)
        : QListWidgetItem(name, list)
        , State(state)
    {
    }
    QVariant data(int role) const override
    {
        return role == Qt::UserRole ? QVariant::fromValue(quintptr(State)) : QListWidgetItem::data(role);
    }

private:
    TNetStateTreeNode *const &State;
};
} // namespace

TNetStatePanel::TNetStatePanel(TGKPanel *content, const TXPColorMap &map, TFocusFrames &frames)
    : Map(map)
    , Content(content)
{
    NetStateScrollPanel = new TGKPanel(content);
    NetStateScrollPanel->setObjectName(QStringLiteral("NetStateScrollPanel"));
    NetStateScrollPanel->SetColor(lighten(Map.Color, 30));
    NetStateScrollPanel->OnPaint = [&frames](TGKPanel *p) {
        p->Canvas()->fillRect(p->rect(), p->Color());
        frames.Draw(p);
    };
    auto *layout = new QVBoxLayout(NetStateScrollPanel);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    auto label = [this](const QString &text) {
        auto *l = new QLabel(text, NetStateScrollPanel);
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, Qt::black);
        l->setPalette(p);
        return l;
    };

    StateTree = new TStateTreeView(NetStateScrollPanel);
    StateTree->setObjectName(QStringLiteral("StateTree"));
    connect(StateTree, &QTreeWidget::itemCollapsed, this, [this] { AncestorCollapsed = true; });
    connect(StateTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current, QTreeWidgetItem *) {
        // Emptying the tree reports that nothing is selected any more.
        if (current)
            emit StatePicked(StateTree->StateItem(current)->Node);
    });

    TransfersInfo = new TOwnerDrawList(NetStateScrollPanel);
    TransfersInfo->setObjectName(QStringLiteral("TransfersInfo"));
    TransfersInfo->OnDrawItem = [this](QPainter &c, int index, const QRect &r, bool selected, bool focused) {
        TransfersInfoDrawItem(c, index, r, selected, focused);
    };
    TransfersInfo->OnDrawBackground = [this](QPainter &c) { TransfersInfoDrawBackground(c); };
    TransfersInfo->OnMouseUp = [this](Qt::MouseButton, QPoint p) { TransfersInfoMouseUp(p); };

    layout->addWidget(label(QStringLiteral("Маркировки")));
    layout->addWidget(StateTree, 3);
    layout->addSpacing(2);
    layout->addWidget(label(QStringLiteral("Переходы/Запуски")));
    layout->addWidget(TransfersInfo, 2);

    frames.Watch(StateTree);
    frames.Watch(TransfersInfo);
    connect(content, &TGKPanel::Resized, this, &TNetStatePanel::Layout);
    Layout();
}

TNetStatePanel::~TNetStatePanel() = default;

void TNetStatePanel::Layout()
{
    // The content spans the clip area's width; its top is left to the scrolling.
    NetStateScrollPanel->setGeometry(NetStateScrollPanel->x(), NetStateScrollPanel->y(), Content->width(),
                                     qMax(StateScrollPanelHeight, Content->height()));
}

QTreeWidgetItem *TNetStatePanel::FindStateItem(const TNetStateTreeNode *node) const
{
    return StateItems.value(node);
}

void TNetStatePanel::ShowCurrentState()
{
    TNetStateTreeNode *node = Net ? Net->CurrentState : nullptr;
    if (!node)
        return;
    {
        // Showing the state is not a pick by the user.
        const QSignalBlocker blocker(StateTree);
        StateTree->setUpdatesEnabled(false);
        QTreeWidgetItem *item = nullptr;
        if (StateTree->topLevelItemCount() == 0) {
            // A new modelling: no count so far belongs to it.
            StateItems.clear();
            CountedState = nullptr;
            PathState = nullptr;
            item = new TStateTreeItem(node, Net->PlaceCount());
            StateTree->addTopLevelItem(item);
            StateItems.insert(node, item);
        } else {
            item = FindStateItem(node);
            if (!item) {
                // A firing starts from the selected state, so the new state goes under it.
                item = new TStateTreeItem(node, Net->PlaceCount());
                if (QTreeWidgetItem *parent = StateTree->currentItem())
                    parent->insertChild(TStateTreeItem::SortedIndex(parent, item), item);
                else
                    StateTree->addTopLevelItem(item);
                StateItems.insert(node, item);
            }
        }
        // Every shown item has its ancestors expanded; only a collapse since
        // the last one can have closed one above its parent, so the whole
        // chain (as long as the tree is deep) is walked only then.
        for (QTreeWidgetItem *p = item->parent(); p; p = p->parent()) {
            p->setExpanded(true);
            if (!AncestorCollapsed)
                break;
        }
        AncestorCollapsed = false;
        StateTree->SetCurrentExpandedItem(item);
        StateTree->setUpdatesEnabled(true);
    }
    FillTransfersInfo(node, true);
}

void TNetStatePanel::ShowPickedState()
{
    FillTransfersInfo(Net->CurrentState, false);
}

void TNetStatePanel::Clear()
{
    {
        const QSignalBlocker blocker(StateTree);
        StateTree->clear();
        StateItems.clear();
    }
    TransfersInfo->clear();
    ShownState = nullptr;
    TransferRows.clear();
    Enabled.clear();
    CountedState = nullptr;
    PathState = nullptr;
}

QString TNetStatePanel::FiringPath(const TNetStateTreeNode *node)
{
    if (node == PathState)
        return PathText;
    if (PathState && node->Parent == PathState) {
        if (!PathText.isEmpty())
            PathText += QStringLiteral(", ");
        PathText += QString::number(node->Transition + 1);
    } else {
        QStringList numbers;
        for (qint32 t : node->Path())
            numbers << QString::number(t + 1);
        PathText = numbers.join(QStringLiteral(", "));
    }
    PathState = node;
    return PathText;
}

int TNetStatePanel::EnabledCount()
{
    if (!Net || !Net->Modelling)
        return 0;
    const TNetStateTreeNode *node = Net->CurrentState;
    const int count = Net->TransitionCount();
    const bool counted = node && CountedState && int(Enabled.size()) == count && TransferRows.size() == count;
    if (counted && node == CountedState)
        return EnabledTotal;
    if (counted && node->Parent == CountedState) {
        // A transition may fire or not by the tokens of its own places alone.
        for (const auto &[k, n] : node->Changes()) {
            const TPosition *place = Net->Place(k);
            for (const TArc *arc : place ? place->ArcList : QList<TArc *>()) {
                const int row = TransferRows.value(arc->TransitionEnd(), -1);
                if (row < 0)
                    continue;
                const bool enabled = Net->Transition(row)->IsEnabled();
                EnabledTotal += int(enabled) - int(Enabled[row]);
                Enabled[row] = enabled;
            }
        }
        CountedState = node;
        return EnabledTotal;
    }
    if (TransferRows.size() != count) {
        TransferRows.clear();
        TransferRows.reserve(count);
        for (int i = 0; i < count; ++i)
            TransferRows.insert(Net->Transition(i), i);
    }
    Enabled.assign(count, false);
    EnabledTotal = 0;
    for (int i = 0; i < count; ++i) {
        Enabled[i] = Net->Transition(i)->IsEnabled();
        EnabledTotal += Enabled[i];
    }
    CountedState = node;
    return EnabledTotal;
}

void TNetStatePanel::FillTransfersInfo(TNetStateTreeNode *node, bool selectFirst)
{
    const QListWidgetItem *current = TransfersInfo->currentItem();
    int row = current && current->isSelected() ? TransfersInfo->currentRow() : -1;
    if (row < 0 && selectFirst)
        row = 0;
    ShownState = node;
    // The rows are made once per modelling: the transitions do not change
    // while it lasts, and each row reads the shown state from the panel.
    if (TransfersInfo->count() != Net->TransitionCount()) {
        TransfersInfo->setUpdatesEnabled(false);
        TransfersInfo->clear();
        for (const TTransfer *t : Net->Transitions)
            new TTransferRow(t->Name, ShownState, TransfersInfo);
        if (row >= 0 && row < TransfersInfo->count())
            TransfersInfo->setCurrentRow(row);
        TransfersInfo->setUpdatesEnabled(true);
        return;
    }
    // The same rows as a refill would leave: the row alone current and
    // selected, or none, and the current row in view.
    if (row >= 0 && row < TransfersInfo->count()) {
        TransfersInfo->setCurrentRow(row);
        TransfersInfo->scrollToItem(TransfersInfo->item(row));
    } else if (TransfersInfo->currentItem() || !TransfersInfo->selectedItems().isEmpty()) {
        TransfersInfo->setCurrentRow(-1);
    }
    // Markers and counts follow the state: the visible rows are painted anew.
    TransfersInfo->viewport()->update();
}

void TNetStatePanel::TransfersInfoDrawBackground(QPainter &canvas)
{
    // The firing-count column is shaded over the whole height, also below the last row.
    const QRect client = TransfersInfo->viewport()->rect();
    const QColor window = TransfersInfo->palette().color(QPalette::Base);
    canvas.fillRect(client, window);
    canvas.fillRect(QRect(client.width() - CountColumnWidth, 0, CountColumnWidth, client.height()),
                    darken(window, 20));
}

void TNetStatePanel::TransfersInfoDrawItem(QPainter &canvas, int index, const QRect &rect, bool selected,
                                           bool focused)
{
    const QPalette &palette = TransfersInfo->palette();
    const QColor window = palette.color(QPalette::Base);
    const bool marked = selected || focused;
    const QColor pen = marked ? QColor(Qt::white) : palette.color(QPalette::Text);
    const QColor font = marked ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    canvas.fillRect(rect, marked ? Map.BtnFrameColor : window);
    QFont normal = canvas.font();
    normal.setBold(false);
    normal.setItalic(false);
    canvas.setFont(normal);

    const TTransfer *transition = Net ? Net->Transition(index) : nullptr;
    const int columnLeft = TransfersInfo->viewport()->width() - CountColumnWidth;
    canvas.setPen(font);
    canvas.drawText(QRect(rect.left() + 17, rect.top() + 1, qMax(0, columnLeft - rect.left() - 17), rect.height() - 1),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    QString::number(index + 1) + QStringLiteral(". ") + TransfersInfo->item(index)->text());

    const int x = rect.left() + 5;
    if (transition && transition->IsEnabled()) {
        canvas.setPen(QPen(pen, 1));
        canvas.setBrush(QColor(0, 255, 0));
        const QPoint triangle[] = {{x, rect.top() + 2}, {x + 5, rect.top() + 7}, {x, rect.top() + 12}};
        canvas.drawPolygon(triangle, 3);
    } else {
        canvas.setPen(QPen(QColor(255, 0, 0), 1));
        for (int dy : {2, 3, 6, 7}) {
            const int y = rect.top() + dy;
            const QPoint chevron[] = {{x, y}, {x + 3, y + 3}, {x + 7, y - 1}};
            canvas.drawPolyline(chevron, 3);
        }
    }

    const QRect column(columnLeft, rect.top(), rect.right() - columnLeft + 1, rect.height());
    canvas.fillRect(column, marked ? Map.BtnFrameColor : darken(window, 20));
    const TNetStateTreeNode *state = ShownState;
    canvas.setPen(font);
    canvas.drawText(QRect(column.left() + 4, rect.top() + 1, column.width() - 4, rect.height() - 1),
                    Qt::AlignLeft | Qt::AlignTop, QString::number(state ? state->FireCount(index) : 0));
}

void TNetStatePanel::TransfersInfoMouseUp(QPoint point)
{
    const QListWidgetItem *item = TransfersInfo->itemAt(point);
    if (!item || !Net || !Net->Modelling)
        return;
    const int index = TransfersInfo->row(item);
    QRect marker = TransfersInfo->visualItemRect(item);
    marker.setWidth(MarkerWidth);
    TTransfer *transition = Net->Transition(index);
    // The net records the firing and notifies; the panel follows from there.
    if (marker.contains(point) && transition && transition->IsEnabled())
        transition->Fire();
}
