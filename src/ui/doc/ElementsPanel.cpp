// The net inspector's behaviour: the element list follows the net and its
// selection, and the editors follow the inspected element.
#include "ElementsPanel.h"

#include "PetryNet.h"
#include "controls/GKActnCtrls.h"
#include "controls/GKSpeedButton.h"
#include "controls/ColorMap.h"
#include "controls/PanelUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

void TElementsPanel::SetCurrentRow(int row)
{
    // A row made current by the program is not a choice of the user.
    RebuildingElements = true;
    Elements->setCurrentRow(row);
    RebuildingElements = false;
}

void TElementsPanel::RebuildList()
{
    // All rows go in at once, text only: the row's element follows from its
    // section, so the cost grows with the number of names and nothing more.
    QStringList rows;
    Sections = {};
    if (Net) {
        rows.reserve(Net->ElementCount() + 3);
        auto section = [&rows](TSection &s, const QString &header, quint8 kind, const auto &elements) {
            s.Kind = kind;
            if (elements.isEmpty())
                return;
            s.Header = int(rows.size());
            s.Count = int(elements.size());
            rows << header;
            for (const TNetElement *e : elements)
                rows << e->Name;
        };
        section(Sections[0], QStringLiteral("Позиции:"), KindPlace, Net->Places);
        section(Sections[1], QStringLiteral("Переходы:"), KindTransition, Net->Transitions);
        section(Sections[2], QStringLiteral("Дуги:"), KindArc, Net->Arcs);
    }
    RebuildingElements = true;
    Elements->setUpdatesEnabled(false);
    Elements->clear();
    Elements->addItems(rows);
    LastRow = 1;
    if (Elements->count() > 0)
        Elements->setCurrentRow(1);
    Elements->setUpdatesEnabled(true);
    RebuildingElements = false;
}

void TElementsPanel::FollowSelection()
{
    // The last selected element in list order: arcs, transitions, places,
    // each from its end.
    for (int k = int(Sections.size()) - 1; k >= 0 && Net; --k) {
        const TSection &s = Sections[k];
        for (int i = s.Count - 1; i >= 0; --i) {
            const TNetElement *e = ElementOfRow(s.Header + 1 + i);
            if (!e || !e->Selected)
                continue;
            SetCurrentRow(s.Header + 1 + i);
            LastRow = s.Header + 1 + i;
            Elements->viewport()->update();
            return;
        }
    }
    Elements->viewport()->update();
}

bool TElementsPanel::IsHeaderRow(int row) const
{
    for (const TSection &s : Sections)
        if (s.Count > 0 && row == s.Header)
            return true;
    return false;
}

void TElementsPanel::ElementsClick()
{
    // Headers are skipped in the direction of travel.
    int row = Elements->currentRow();
    if (IsHeaderRow(row)) {
        if (row <= 0)
            ++row;
        else if (row != LastRow)
            row += row > LastRow ? 1 : -1;
        SetCurrentRow(row);
    }
    LastRow = Elements->currentRow();
    emit RowChosen();
}

TNetElement *TElementsPanel::InspectedElement() const
{
    return ElementOfRow(Elements->currentRow());
}

TNetElement *TElementsPanel::ElementOfRow(int row) const
{
    // A section is its header row followed by its elements in list order.
    if (!Net || row < 0 || row >= Elements->count())
        return nullptr;
    for (const TSection &s : Sections) {
        if (s.Count == 0 || row <= s.Header || row > s.Header + s.Count)
            continue;
        const int index = row - s.Header - 1;
        switch (s.Kind) {
        case KindPlace: return Net->Place(index);
        case KindTransition: return Net->Transition(index);
        case KindArc: return Net->Arc(index);
        default: return nullptr;
        }
    }
    return nullptr;
}

void TElementsPanel::Refresh()
{
    if (!Net && Elements->count() > 0)
        Elements->clear();
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
    if (QListWidgetItem *item = Elements->currentItem())
        item->setText(e->Name);
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
