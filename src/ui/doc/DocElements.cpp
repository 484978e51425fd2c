// The net inspector's behaviour: the element list follows the net and its
// selection, the editors follow the inspected element, and the two side
// panels of the left column are shown, hidden and sized by their commands.
#include "DocForm.h"

#include "PetryNet.h"
#include "controls/GKActnCtrls.h"
#include "controls/GKSpeedButton.h"
#include "controls/PanelUnit.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>

#include <limits>

namespace {
constexpr qint64 CountMaximum = std::numeric_limits<qint32>::max();

qint64 CountMinimum(const TNetElement *element)
{
    return element->Kind == KindPlace ? 0 : 1;
}

qint32 CountOf(const TNetElement *element)
{
    return element->Kind == KindPlace ? static_cast<const TPosition *>(element)->Tokens
                                      : static_cast<const TArc *>(element)->Multiplicity;
}

void AddRows(QListWidget *list, const QString &header, quint8 kind, const QStringList &names)
{
    if (names.isEmpty())
        return;
    auto *head = new QListWidgetItem(header, list);
    head->setData(Qt::UserRole, 0);
    for (int i = 0; i < names.size(); ++i) {
        auto *row = new QListWidgetItem(names[i], list);
        row->setData(Qt::UserRole, kind);
        row->setData(Qt::UserRole + 1, i);
    }
}

template <class T> QStringList Names(const QList<T *> &elements)
{
    QStringList names;
    for (const T *e : elements)
        names << e->Name;
    return names;
}
} // namespace

void TDocForm::NetChange()
{
    {
        RebuildingElements = true;
        Elements->setUpdatesEnabled(false);
        Elements->clear();
        if (HasDoc()) {
            AddRows(Elements, QStringLiteral("Позиции:"), KindPlace, Names(Net->Places));
            AddRows(Elements, QStringLiteral("Переходы:"), KindTransition, Names(Net->Transitions));
            AddRows(Elements, QStringLiteral("Дуги:"), KindArc, Names(Net->Arcs));
        }
        LastElementIndex = 1;
        if (Elements->count() > 0)
            Elements->setCurrentRow(1);
        Elements->setUpdatesEnabled(true);
        RebuildingElements = false;
    }
    // A rebuild makes row 1 current whatever was selected before it, so a
    // selection change held back until now has nothing left to do.
    SelectionRefreshPending = false;
    UpdateInspector();
    RepaintCanvas();
    UpdateActions();
}

void TDocForm::NetSelectionChange()
{
    if (RefreshBatchDepth == 0) {
        RefreshSelection();
        return;
    }
    if (SelectionRefreshPending)
        return;
    SelectionRefreshPending = true;
    if (!SelectionRefreshTimer) {
        SelectionRefreshTimer = new QTimer(this);
        SelectionRefreshTimer->setSingleShot(true);
        SelectionRefreshTimer->setInterval(0);
        connect(SelectionRefreshTimer, &QTimer::timeout, this, &TDocForm::FlushPendingRefresh);
    }
    SelectionRefreshTimer->start();
}

void TDocForm::FlushPendingRefresh()
{
    if (!SelectionRefreshPending)
        return;
    SelectionRefreshPending = false;
    SelectionRefreshTimer->stop();
    RefreshSelection();
}

void TDocForm::RefreshSelection()
{
    // The last selected element in list order becomes the inspected one;
    // with nothing selected the current row stays.
    for (int i = Elements->count() - 1; i >= 0; --i) {
        const TNetElement *e = ElementOfRow(i);
        if (!e || !e->Selected)
            continue;
        RebuildingElements = true;
        Elements->setCurrentRow(i);
        RebuildingElements = false;
        LastElementIndex = i;
        break;
    }
    Elements->viewport()->update();
    UpdateInspector();
    UpdateActions();
}

void TDocForm::ElementsClick()
{
    // Headers are skipped in the direction of travel.
    int row = Elements->currentRow();
    const QListWidgetItem *item = Elements->item(row);
    if (item && item->data(Qt::UserRole).toInt() == 0) {
        if (row <= 0)
            ++row;
        else if (row != LastElementIndex)
            row += row > LastElementIndex ? 1 : -1;
        RebuildingElements = true;
        Elements->setCurrentRow(row);
        RebuildingElements = false;
    }
    LastElementIndex = Elements->currentRow();
    UpdateInspector();
    UpdateActions();
}

TNetElement *TDocForm::InspectedElement() const
{
    return Elements ? ElementOfRow(Elements->currentRow()) : nullptr;
}

TNetElement *TDocForm::ElementOfRow(int row) const
{
    // Rows keep the kind and the index within that kind's list.
    const QListWidgetItem *item = Elements->item(row);
    if (!HasDoc() || !item)
        return nullptr;
    const int index = item->data(Qt::UserRole + 1).toInt();
    switch (item->data(Qt::UserRole).toInt()) {
    case KindPlace: return Net->Place(index);
    case KindTransition: return Net->Transition(index);
    case KindArc: return Net->Arc(index);
    default: return nullptr;
    }
}

void TDocForm::UpdateInspector()
{
    if (HasDoc())
        SelectionInfo->SetCaption(SelectionText(Net->SelectedCount(), Net->ElementCount(), Net->PlaceCount(),
                                                Net->TransitionCount(), Net->ArcCount()));
    else if (Elements->count() > 0)
        Elements->clear();
    // The inspector is built before the window's commands exist; its toolbar
    // takes them on the first refresh.
    if (NIToolBar->actions().isEmpty())
        NIToolBar->addActions({ActionEditDelete, ActionEditCreateDescr, ActionEditDelDescr});
    if (const TNetElement *e = InspectedElement())
        ShowInspectorEditors(e);
    else
        HideInspectorEditors();
    InspectorScrollPanel->move(InspectorScrollPanel->x(), 0);
    UpdatePanelScrollButtons(NetInspector);
    InspectorScrollPanel->update();
}

void TDocForm::ShowInspectorEditors(const TNetElement *element)
{
    Elements->setEnabled(true);
    const bool counted = element->Kind != KindTransition;
    for (QWidget *w : {static_cast<QWidget *>(CountEdit), static_cast<QWidget *>(CntUpBtn),
                       static_cast<QWidget *>(CntDownBtn)})
        w->setVisible(counted);
    CountLabel->show();
    CntShape->show();
    NameEditLabel->show();
    NEShape->show();
    DescriptionLabel->show();
    DEShape->show();
    CountLabel->setText(counted ? (element->Kind == KindPlace ? QStringLiteral("Число фишек:")
                                                              : QStringLiteral("Кратность:"))
                                : QStringLiteral("Название:"));
    NameEditLabel->setText(counted ? QStringLiteral("Название:") : QStringLiteral("Описание:"));
    NameEdit->move(NameEdit->x(), counted ? 301 : 260);
    Description->move(Description->x(), counted ? 344 : 301);
    NameEdit->show();
    NIToolBar->show();
    Description->setVisible(element->HasDescription);
    const int height = counted ? (element->HasDescription ? 472 : 324) : (element->HasDescription ? 429 : 283);
    InspectorScrollPanel->resize(InspectorScrollPanel->width(), height);

    // While modelling the counter is locked and the texts are read-only.
    const bool editing = !Net->Modelling;
    if (counted) {
        const qint32 value = CountOf(element);
        CountEdit->setText(QString::number(value));
        CountEdit->setCursorPosition(0);
        CountEdit->setEnabled(editing);
        CntUpBtn->setEnabled(editing && value < CountMaximum);
        CntDownBtn->setEnabled(editing && value > CountMinimum(element));
    }
    NameEdit->setText(element->Name);
    NameEdit->setCursorPosition(0);
    NameEdit->setReadOnly(!editing);
    if (Description->toPlainText() != element->Description)
        Description->setPlainText(element->Description);
    Description->setReadOnly(!editing);
}

void TDocForm::HideInspectorEditors()
{
    for (QWidget *w : {static_cast<QWidget *>(CountEdit), static_cast<QWidget *>(CntUpBtn),
                       static_cast<QWidget *>(CntDownBtn), static_cast<QWidget *>(CountLabel), CntShape,
                       static_cast<QWidget *>(NameEditLabel), NEShape, static_cast<QWidget *>(DescriptionLabel),
                       DEShape, static_cast<QWidget *>(Description), static_cast<QWidget *>(NameEdit),
                       static_cast<QWidget *>(NIToolBar)})
        w->hide();
    InspectorScrollPanel->resize(InspectorScrollPanel->width(), 216);
    Elements->setEnabled(false);
}

void TDocForm::ApplyCount(qint32 value)
{
    TNetElement *e = InspectedElement();
    if (!e)
        return;
    if (e->Kind == KindPlace)
        static_cast<TPosition *>(e)->SetTokens(value);
    else if (e->Kind == KindArc)
        static_cast<TArc *>(e)->SetMultiplicity(value);
    RepaintCanvas();
}

bool TDocForm::CounterStep(bool up)
{
    const TNetElement *e = InspectedElement();
    if (!e || e->Kind == KindTransition || Net->Modelling)
        return false;
    const qint64 minimum = CountMinimum(e);
    const qint64 value = CountEdit->text().toLongLong() + (up ? 1 : -1);
    if (value < minimum) {
        CntDownBtn->setEnabled(false);
        return false;
    }
    if (value > CountMaximum) {
        CntUpBtn->setEnabled(false);
        return false;
    }
    ApplyCount(qint32(value));
    CountEdit->setText(QString::number(value));
    CountEdit->setCursorPosition(0);
    CntDownBtn->setEnabled(value > minimum);
    CntUpBtn->setEnabled(value < CountMaximum);
    Net->MarkChanged();
    UpdateActions();
    return true;
}

void TDocForm::CntBtnMouseDown(bool up)
{
    CountUp = up;
    connect(Counter, &QTimer::timeout, this, &TDocForm::CounterTimer, Qt::UniqueConnection);
    Counter->start();
}

void TDocForm::CntBtnMouseUp()
{
    Counter->stop();
}

void TDocForm::CounterTimer()
{
    if (!CounterStep(CountUp))
        Counter->stop();
}

void TDocForm::EditorsKeyPress()
{
    StoreName();
}

void TDocForm::StoreName()
{
    TNetElement *e = InspectedElement();
    if (!e || NameEdit->isReadOnly() || e->Name == NameEdit->text())
        return;
    e->SetName(NameEdit->text());
    if (QListWidgetItem *item = Elements->currentItem())
        item->setText(e->Name);
    RepaintCanvas();
    UpdateActions();
}

void TDocForm::StoreDescription()
{
    TNetElement *e = InspectedElement();
    if (!e || !e->HasDescription || Description->isReadOnly() || e->Description == Description->toPlainText())
        return;
    e->SetDescription(Description->toPlainText());
    UpdateActions();
}

bool TDocForm::InspectorEvent(QObject *watched, QEvent *event)
{
    auto *control = qobject_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        ControlsEnter(control);
        break;
    case QEvent::FocusOut:
        ControlsExit(control);
        break;
    case QEvent::KeyPress:
        if (watched == CountEdit) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                CounterStep(key == Qt::Key_Up);
                return true;
            }
        }
        break;
    default:
        break;
    }
    return false;
}

void TDocForm::ControlsEnter(QWidget *control)
{
    if (!control || control->isHidden())
        return;
    if (Instrument != 0)
        Execute(ActionNetDoSelection);
    if (control->parentWidget())
        control->parentWidget()->update();
}

void TDocForm::ControlsExit(QWidget *control)
{
    if (!control)
        return;
    if (control == NameEdit)
        StoreName();
    else if (control == Description)
        StoreDescription();
    if (control->parentWidget())
        control->parentWidget()->update();
}

void TDocForm::ActionViewInspectorExecute()
{
    const bool show = ActionViewInspector->isChecked();
    if (show && !NetState->isHidden()) {
        const int height = NetInspector->height() - 100;
        const int total = SplitterUD->height();
        SplitterUD->setSizes({qMax(height, 100), qMax(total - height, 100)});
    }
    NetInspector->setVisible(show);
    UpdateLeftPanel();
    if (show)
        UpdateInspector();
}

void TDocForm::ActionViewNetStateExecute()
{
    const bool show = ActionViewNetState->isChecked();
    NetState->setVisible(show);
    if (show && !NetInspector->isHidden())
        SplitterUD->setSizes({120, qMax(SplitterUD->height() - 122, 100)});
    UpdateLeftPanel();
}

void TDocForm::CloseInspectorButtonClick()
{
    ActionViewInspector->setChecked(false);
    NetInspector->hide();
    UpdateLeftPanel();
}

void TDocForm::NetStateCloseButtonClick()
{
    ActionViewNetState->setChecked(false);
    NetState->hide();
    UpdateLeftPanel();
}

void TDocForm::UpdateLeftPanel()
{
    LeftPanel->setVisible(!NetInspector->isHidden() || !NetState->isHidden());
}

// The description flag and text are part of the document, so adding or
// removing a description counts as an unsaved change.
void TDocForm::ActionEditCreateDescrExecute()
{
    if (TNetElement *e = InspectedElement(); e && !e->HasDescription) {
        e->SetHasDescription(true);
        Net->MarkChanged();
    }
    UpdateInspector();
}

void TDocForm::ActionEditDelDescrExecute()
{
    if (TNetElement *e = InspectedElement(); e && e->HasDescription) {
        e->SetHasDescription(false);
        Net->MarkChanged();
    }
    UpdateInspector();
}
