// The net inspector's behaviour: the element list follows the net and its
// selection, and the editors follow the inspected element.
#include "ElementsPanel.h"

#include "ElementList.h"
#include "PetryNet.h"
#include "controls/GKActnCtrls.h"
#include "controls/GKSpeedButton.h"
#include "controls/ColorMap.h"
#include "controls/PanelUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
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

} // namespace

TElementsPanel::~TElementsPanel() = default;

void TElementsPanel::SetToolBarActions(const QList<QAction *> &actions)
{
    NIToolBar->addActions(actions);
}

void TElementsPanel::SetNet(TPetryNet *net)
{
    if (net == Net)
        return;
    Net = net;
    // The rows of the former net must not outlive it.
    RebuildingElements = true;
    Rows->Rebuild(nullptr);
    RebuildingElements = false;
}

int TElementsPanel::CurrentRow() const
{
    return Elements->currentIndex().row();
}

int TElementsPanel::RowCount() const
{
    return Rows->rowCount();
}

void TElementsPanel::SetCurrentRow(int row)
{
    // A row made current by the program is not a choice of the user.
    RebuildingElements = true;
    Elements->selectionModel()->setCurrentIndex(Rows->index(row), QItemSelectionModel::ClearAndSelect);
    RebuildingElements = false;
}

void TElementsPanel::RebuildList()
{
    // Only the sizes of the sections are taken: the view asks the net for
    // the rows it shows, so the cost does not grow with the net.
    RebuildingElements = true;
    Rows->Rebuild(Net);
    LastRow = 1;
    if (RowCount() > 0)
        Elements->selectionModel()->setCurrentIndex(Rows->index(1), QItemSelectionModel::ClearAndSelect);
    RebuildingElements = false;
}

void TElementsPanel::FollowSelection()
{
    // The last selected element in list order: arcs, transitions, places,
    // each from its end. The current row is tried first, as it is often the
    // one, before the element's row is looked up.
    if (const TNetElement *e = Net ? Net->LastSelected() : nullptr) {
        const int row = ElementOfRow(CurrentRow()) == e ? CurrentRow() : Rows->RowOf(e);
        if (row >= 0) {
            SetCurrentRow(row);
            LastRow = row;
        }
    }
    Elements->viewport()->update();
}

bool TElementsPanel::IsHeaderRow(int row) const
{
    return Rows->IsHeaderRow(row);
}

void TElementsPanel::ElementsClick()
{
    // Headers are skipped in the direction of travel.
    int row = CurrentRow();
    if (IsHeaderRow(row)) {
        if (row <= 0)
            ++row;
        else if (row != LastRow)
            row += row > LastRow ? 1 : -1;
        SetCurrentRow(row);
    }
    LastRow = CurrentRow();
    emit RowChosen();
}

TNetElement *TElementsPanel::InspectedElement() const
{
    return ElementOfRow(CurrentRow());
}

TNetElement *TElementsPanel::ElementOfRow(int row) const
{
    return Net ? Rows->ElementOfRow(row) : nullptr;
}

void TElementsPanel::Refresh()
{
    if (!Net && RowCount() > 0)
        Rows->Rebuild(nullptr);
    if (const TNetElement *e = InspectedElement())
        ShowEditors(e);
    else
        HideEditors();
    InspectorScrollPanel->move(InspectorScrollPanel->x(), 0);
    InspectorScrollPanel->update();
}

void TElementsPanel::ShowEditors(const TNetElement *element)
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

void TElementsPanel::HideEditors()
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

void TElementsPanel::ApplyCount(qint32 value)
{
    TNetElement *e = InspectedElement();
    if (!e)
        return;
    if (e->Kind == KindPlace)
        static_cast<TPosition *>(e)->SetTokens(value);
    else if (e->Kind == KindArc)
        static_cast<TArc *>(e)->SetMultiplicity(value);
    emit Changed(true);
}

bool TElementsPanel::CounterStep(bool up)
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
    emit Changed(false);
    return true;
}

void TElementsPanel::CntBtnMouseDown(bool up)
{
    CountUp = up;
    Counter->start();
}

void TElementsPanel::CounterTimer()
{
    if (!CounterStep(CountUp))
        Counter->stop();
}

void TElementsPanel::StoreName()
{
    TNetElement *e = InspectedElement();
    if (!e || NameEdit->isReadOnly() || e->Name == NameEdit->text())
        return;
    e->SetName(NameEdit->text());
    Rows->RowChanged(CurrentRow());
    emit Changed(true);
}

void TElementsPanel::StoreDescription()
{
    TNetElement *e = InspectedElement();
    if (!e || !e->HasDescription || Description->isReadOnly() || e->Description == Description->toPlainText())
        return;
    e->SetDescription(Description->toPlainText());
    emit Changed(false);
}

void TElementsPanel::ControlLeft(QWidget *control)
{
    if (control == NameEdit)
        StoreName();
    else if (control == Description)
        StoreDescription();
}
