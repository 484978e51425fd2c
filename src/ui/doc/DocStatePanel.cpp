// The state panel: the tree of visited markings and the list of transitions
// with their firing counts, and how both follow the net's current state.
#include "DocForm.h"

#include "PetryNet.h"
#include "StatePanel.h"
#include "controls/PanelUnit.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {
// The panel's content is this tall at least (a few rows of the tree and of
// the list); a shorter panel scrolls it.
constexpr int StateScrollPanelHeight = 200;
// Width of the firing-count column at the right of the transition list.
constexpr int CountColumnWidth = 50;
// Width of the marker strip at the left of a row; a click there fires.
constexpr int MarkerWidth = 10;

TNetStateTreeNode *RowState(const QListWidgetItem *item)
{
    return item ? reinterpret_cast<TNetStateTreeNode *>(item->data(Qt::UserRole).value<quintptr>()) : nullptr;
}
} // namespace

void TDocForm::BuildStatePanel()
{
    NetStateScrollPanel = new TGKPanel(NetStateContent);
    NetStateScrollPanel->setObjectName(QStringLiteral("NetStateScrollPanel"));
    NetStateScrollPanel->SetColor(lighten(XPColorMap().Color, 30));
    NetStateScrollPanel->OnPaint = [this](TGKPanel *p) {
        p->Canvas()->fillRect(p->rect(), p->Color());
        DrawFocusFrames(p);
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
    connect(StateTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *) { StateTreeChange(current); });

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

    WatchFocus(StateTree);
    WatchFocus(TransfersInfo);
    connect(NetStateContent, &TGKPanel::Resized, this, &TDocForm::LayoutStateScrollPanel);
    LayoutStateScrollPanel();
}

void TDocForm::LayoutStateScrollPanel()
{
    // The content spans the clip area's width; its top is left to the scrolling.
    NetStateScrollPanel->setGeometry(NetStateScrollPanel->x(), NetStateScrollPanel->y(), NetStateContent->width(),
                                     qMax(StateScrollPanelHeight, NetStateContent->height()));
}

QString TDocForm::StateItemText(const TNetStateTreeNode *node) const
{
    QStringList tokens;
    for (int k = 0; k < Net->PlaceCount(); ++k)
        tokens << QString::number(node->Tokens(k));
    return QLatin1Char('(') + tokens.join(QStringLiteral(", ")) + QStringLiteral(") - ") + node->Caption;
}

QTreeWidgetItem *TDocForm::FindStateItem(const TNetStateTreeNode *node, QTreeWidgetItem *item) const
{
    if (!item)
        return nullptr;
    if (StateTree->StateItem(item)->Node == node)
        return item;
    for (int i = 0; i < item->childCount(); ++i)
        if (QTreeWidgetItem *found = FindStateItem(node, item->child(i)))
            return found;
    return nullptr;
}

void TDocForm::NetStateChange()
{
    TNetStateTreeNode *node = Net->CurrentState;
    if (!node)
        return;
    const QString text = StateItemText(node);
    SyncingStateTree = true;
    StateTree->setUpdatesEnabled(false);
    QTreeWidgetItem *item = nullptr;
    if (StateTree->topLevelItemCount() == 0) {
        item = new TStateTreeItem(node, text);
        StateTree->addTopLevelItem(item);
    } else {
        item = FindStateItem(node, StateTree->topLevelItem(0));
        if (!item) {
            // A firing starts from the selected state, so the new state goes under it.
            item = new TStateTreeItem(node, text);
            if (QTreeWidgetItem *parent = StateTree->currentItem())
                parent->insertChild(TStateTreeItem::SortedIndex(parent, text), item);
            else
                StateTree->addTopLevelItem(item);
        }
    }
    for (QTreeWidgetItem *p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    StateTree->setCurrentItem(item);
    StateTree->scrollToItem(item);
    StateTree->setUpdatesEnabled(true);
    // Normally cleared by the selection handler; the item may already have been current.
    SyncingStateTree = false;
    FillTransfersInfo(node, true);
    ShowStateInfo(node);
    UpdateActions();
}

void TDocForm::StateTreeChange(QTreeWidgetItem *item)
{
    // Emptying the tree reports that nothing is selected any more.
    if (!item || !HasDoc() || !Net->Modelling)
        return;
    Net->GoToState(StateTree->StateItem(item)->Node);
    RepaintCanvas();
    // Picking a state by hand always stops an automatic run.
    if (!SyncingStateTree && !ActionModelingPause->isChecked())
        Execute(ActionModelingPause);
    SyncingStateTree = false;
    FillTransfersInfo(Net->CurrentState, false);
    ShowStateInfo(Net->CurrentState);
    UpdateActions();
}

void TDocForm::FillTransfersInfo(TNetStateTreeNode *node, bool selectFirst)
{
    TransfersInfo->setUpdatesEnabled(false);
    const QListWidgetItem *current = TransfersInfo->currentItem();
    int row = current && current->isSelected() ? TransfersInfo->currentRow() : -1;
    if (row < 0 && selectFirst)
        row = 0;
    TransfersInfo->clear();
    for (const TTransfer *t : Net->Transitions) {
        auto *rowItem = new QListWidgetItem(t->Name, TransfersInfo);
        rowItem->setData(Qt::UserRole, QVariant::fromValue(quintptr(node)));
    }
    if (row >= 0 && row < TransfersInfo->count())
        TransfersInfo->setCurrentRow(row);
    TransfersInfo->setUpdatesEnabled(true);
}

void TDocForm::ShowStateInfo(const TNetStateTreeNode *node)
{
    SetInfoPanelStyle(false);
    const int enabled = Net->EnabledCount();
    if (enabled == 0) {
        SetInfoPanelStyle(true);
        InfoPanel->SetCaption(QStringLiteral("Тупиковое состояние."));
    } else if (node->Parent) {
        InfoPanel->SetCaption(QStringLiteral("Готово к запуску: ") + QString::number(enabled));
    } else {
        InfoPanel->SetCaption(QStringLiteral("Исходное состояние."));
    }
    if (node->Parent) {
        QStringList numbers;
        for (qint32 t : node->Path)
            numbers << QString::number(t + 1);
        RunsPanel->SetCaption(QStringLiteral("Последовательность запусков: ") + numbers.join(QStringLiteral(", ")));
    } else {
        RunsPanel->SetCaption(QStringLiteral("Запусков не было."));
    }
}

void TDocForm::TransfersInfoDrawBackground(QPainter &canvas)
{
    // The firing-count column is shaded over the whole height, also below the last row.
    const QRect client = TransfersInfo->viewport()->rect();
    const QColor window = TransfersInfo->palette().color(QPalette::Base);
    canvas.fillRect(client, window);
    canvas.fillRect(QRect(client.width() - CountColumnWidth, 0, CountColumnWidth, client.height()),
                    darken(window, 20));
}

void TDocForm::TransfersInfoDrawItem(QPainter &canvas, int index, const QRect &rect, bool selected, bool focused)
{
    const QPalette &palette = TransfersInfo->palette();
    const QColor window = palette.color(QPalette::Base);
    const bool marked = selected || focused;
    const QColor pen = marked ? QColor(Qt::white) : palette.color(QPalette::Text);
    const QColor font = marked ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    canvas.fillRect(rect, marked ? XPColorMap().BtnFrameColor : window);
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
    canvas.fillRect(column, marked ? XPColorMap().BtnFrameColor : darken(window, 20));
    const TNetStateTreeNode *state = RowState(TransfersInfo->item(index));
    canvas.setPen(font);
    canvas.drawText(QRect(column.left() + 4, rect.top() + 1, column.width() - 4, rect.height() - 1),
                    Qt::AlignLeft | Qt::AlignTop, QString::number(state ? state->FireCount(index) : 0));
}

void TDocForm::TransfersInfoMouseUp(QPoint point)
{
    const QListWidgetItem *item = TransfersInfo->itemAt(point);
    if (!item || !HasDoc() || !Net->Modelling)
        return;
    const int index = TransfersInfo->row(item);
    QRect marker = TransfersInfo->visualItemRect(item);
    marker.setWidth(MarkerWidth);
    TTransfer *transition = Net->Transition(index);
    if (marker.contains(point) && transition && transition->IsEnabled())
        transition->Fire();
}
