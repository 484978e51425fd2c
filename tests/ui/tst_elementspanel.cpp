#include "UiFixtures.h"
#include "controls/GKActnCtrls.h"
#include "controls/GKSpeedButton.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"

#include "NetUnit.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <limits>

using namespace Qt::StringLiterals;

namespace {
struct TFixture
{
    TFixture()
    {
        ShowActive(Doc);
        Net = Doc->GetNet();
    }

    // Places along the top, transitions below them; arcs join place i and transition i.
    void Build(int places, int transitions, int arcs)
    {
        for (int i = 0; i < places; ++i)
            Net->AddPlace(60 + 50 * i, 60);
        for (int i = 0; i < transitions; ++i)
            Net->AddTransition(60 + 50 * i, 160);
        for (int i = 0; i < arcs; ++i)
            Net->Arcs.append(TArc::CreateBetween(Net, Net->Place(i), Net->Transition(i)));
        Net->ClearSelection();
        Net->NotifyChange();
        Net->Saved = true;
    }

    QStringList Rows() const { return ListRows(Drv(Doc).Elements()); }

    // Makes the element the inspected one, as a click on its row does. A click
    // on the current row changes nothing, so the editors are refreshed then
    // (tests edit the elements directly).
    void Inspect(const TNetElement *element)
    {
        for (int i = 0; i < Drv(Doc).ElementRows(); ++i)
            if (Drv(Doc).ElementRowText(i) == element->Name) {
                const bool current = Drv(Doc).CurrentElementRow() == i;
                const QRect r = Drv(Doc).ElementRowRect(i);
                QTest::mouseClick(Drv(Doc).Elements()->viewport(), Qt::LeftButton, {}, r.center());
                if (current)
                    Doc->UpdateInspector();
                return;
            }
        QFAIL("element not listed");
    }

    TShellFixture App;
    TDocForm *Doc = App.Doc();
    TPetryNet *Net = nullptr;
};

QColor PixelOf(QWidget *widget, QPoint p)
{
    return widget->grab().toImage().pixelColor(p);
}
} // namespace

class TInspectorTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { NetClipboard.Clear(); }
    void elementList_data();
    void elementList();
    void selectionMakesLastCurrent();
    void bulkSelectionShowsFinalState_data();
    void bulkSelectionShowsFinalState();
    void headersAreSkipped_data();
    void headersAreSkipped();
    void largeNetRowsComeFromNet_data();
    void largeNetRowsComeFromNet();
    void editorsByKind_data();
    void editorsByKind();
    void counterKeys_data();
    void counterKeys();
    void counterButtonsRepeat();
    void downButtonFollowsInspectedValue();
    void renameAndDescribe();
    void descriptionCommands();
    void enteringControlSelectsInstrument();
    void repaintHasNoSideEffects();
    void sidePanelsShownAndHidden();
};

void TInspectorTest::elementList_data()
{
    QTest::addColumn<int>("places");
    QTest::addColumn<int>("transitions");
    QTest::addColumn<int>("arcs");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("empty") << 0 << 0 << 0 << QStringList();
    QTest::newRow("no arcs") << 2 << 1 << 0
                             << QStringList{u"Позиции:"_s, u"Позиция1"_s, u"Позиция2"_s, u"Переходы:"_s,
                                            u"Переход1"_s};
    QTest::newRow("transitions only") << 0 << 2 << 0
                                      << QStringList{u"Переходы:"_s, u"Переход1"_s, u"Переход2"_s};
    QTest::newRow("all kinds") << 1 << 1 << 1
                               << QStringList{u"Позиции:"_s, u"Позиция1"_s, u"Переходы:"_s, u"Переход1"_s,
                                              u"Дуги:"_s, u"Дуга1"_s};
}

void TInspectorTest::elementList()
{
    QFETCH(int, places);
    QFETCH(int, transitions);
    QFETCH(int, arcs);
    QFETCH(QStringList, rows);
    TFixture f;
    f.Build(places, transitions, arcs);
    QCOMPARE(f.Rows(), rows);
    if (rows.isEmpty()) {
        // Nothing to inspect: a disabled list and no editors.
        QVERIFY(!Drv(f.Doc).Elements()->isEnabled());
        QVERIFY(Drv(f.Doc).NameEdit()->isHidden());
        QVERIFY(Drv(f.Doc).NIToolBar()->isHidden());
        QCOMPARE(Drv(f.Doc).InspectorScrollPanel()->height(), 216);
        QCOMPARE(f.Doc->InspectedElement(), nullptr);
    } else {
        QCOMPARE(Drv(f.Doc).CurrentElementRow(), 1);
        QCOMPARE(Drv(f.Doc).LastElementIndex(), 1);
        QVERIFY(Drv(f.Doc).Elements()->isEnabled());
        QCOMPARE(f.Doc->InspectedElement()->Name, rows[1]);
    }
}

void TInspectorTest::selectionMakesLastCurrent()
{
    TFixture f;
    f.Build(3, 1, 0);
    f.Net->Place(0)->SetSelected(true);
    f.Net->Place(1)->SetSelected(true);
    QCOMPARE(f.Doc->InspectedElement(), f.Net->Place(1));
    QCOMPARE(Drv(f.Doc).LastElementIndex(), 2);
    // Both selected rows carry the box; the unselected one does not.
    QListView *list = Drv(f.Doc).Elements();
    auto boxColour = [&](int row) {
        const QRect r = Drv(f.Doc).ElementRowRect(row);
        return PixelOf(list->viewport(), r.topLeft() + QPoint(9, 7));
    };
    QCOMPARE(boxColour(1), f.Doc->XPColorMap().SelectedColor);
    QCOMPARE(boxColour(2), f.Doc->XPColorMap().SelectedColor);
    QVERIFY(boxColour(3) != f.Doc->XPColorMap().SelectedColor);
    // Choosing a row does not touch the canvas selection.
    f.Inspect(f.Net->Place(2));
    QCOMPARE(f.Net->SelectedCount(), 2);
    QVERIFY(!f.Net->Place(2)->Selected);
}

void TInspectorTest::bulkSelectionShowsFinalState_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("selectedBefore");
    QTest::addColumn<int>("selected");
    QTest::newRow("select all") << u"select all"_s << false << 6;
    QTest::newRow("band over the sheet") << u"band"_s << false << 6;
    QTest::newRow("cancel selection") << u"cancel"_s << true << 0;
    QTest::newRow("start modelling") << u"start"_s << true << 0;
}

// A command or gesture that sets many selection flags is answered once, with
// the selection it ends in: the last selected row (the last arc) becomes
// current, and a cleared selection leaves the inspected row where it was
// instead of passing through the half-cleared selections on the way.
void TInspectorTest::bulkSelectionShowsFinalState()
{
    QFETCH(QString, step);
    QFETCH(bool, selectedBefore);
    QFETCH(int, selected);
    TFixture f;
    f.Build(2, 2, 2);
    if (selectedBefore)
        f.Net->SelectAll();
    else
        f.Inspect(f.Net->Place(0));
    QSignalSpy moves(Drv(f.Doc).Elements()->selectionModel(), &QItemSelectionModel::currentRowChanged);
    if (step == u"select all"_s) {
        f.Doc->Execute(f.Doc->Commands().ActionEditSelectAll);
    } else if (step == u"band"_s) {
        const QPoint from(f.Net->OriginX() + 1, f.Net->OriginY() + 1), to(f.Net->MaxX() - 1, f.Net->MaxY() - 1);
        f.Doc->Canvas().DocAreaMouseDown(Qt::LeftButton, {}, from);
        f.Doc->Canvas().DocAreaMouseMove(from);
        f.Doc->Canvas().DocAreaMouseMove(to);
        f.Doc->Canvas().DocAreaMouseUp(Qt::LeftButton, {}, to);
    } else if (step == u"cancel"_s) {
        f.Doc->Execute(f.Doc->Commands().ActionEditCancSel);
    } else {
        f.Doc->Execute(f.Doc->Commands().ActionModelingStart);
        QVERIFY(f.Net->Modelling);
    }
    QCOMPARE(f.Net->SelectedCount(), selected);
    QCOMPARE(f.Doc->InspectedElement(), f.Net->Arc(1));
    QCOMPARE(moves.count(), selectedBefore ? 0 : 1);
    QCOMPARE(Drv(f.Doc).SelectionInfo()->Caption(), TDocForm::SelectionText(selected, 6, 2, 2, 2));
}

void TInspectorTest::headersAreSkipped_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("expected");
    // Rows: 0 Позиции:, 1-2 places, 3 Переходы:, 4-5 transitions, 6 Дуги:, 7 arc.
    QTest::newRow("down onto header") << 2 << u"down"_s << 4;
    QTest::newRow("up onto header") << 4 << u"up"_s << 2;
    QTest::newRow("up onto first header") << 1 << u"up"_s << 1;
    QTest::newRow("home") << 5 << u"home"_s << 1;
    QTest::newRow("click header below") << 1 << u"click 6"_s << 7;
    QTest::newRow("click header above") << 7 << u"click 3"_s << 2;
    QTest::newRow("click first header") << 5 << u"click 0"_s << 1;
}

void TInspectorTest::headersAreSkipped()
{
    QFETCH(int, from);
    QFETCH(QString, gesture);
    QFETCH(int, expected);
    TFixture f;
    f.Build(2, 2, 1);
    QListView *list = Drv(f.Doc).Elements();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, Drv(f.Doc).ElementRowRect(from).center());
    QCOMPARE(Drv(f.Doc).CurrentElementRow(), from);
    if (gesture == u"down"_s)
        QTest::keyClick(list, Qt::Key_Down);
    else if (gesture == u"up"_s)
        QTest::keyClick(list, Qt::Key_Up);
    else if (gesture == u"home"_s)
        QTest::keyClick(list, Qt::Key_Home);
    else {
        const int row = gesture.mid(6).toInt();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, Drv(f.Doc).ElementRowRect(row).center());
    }
    QCOMPARE(Drv(f.Doc).CurrentElementRow(), expected);
    QCOMPARE(Drv(f.Doc).LastElementIndex(), expected);
    QCOMPARE(Drv(f.Doc).NameEdit()->text(), Drv(f.Doc).ElementRowText(expected));
}

void TInspectorTest::largeNetRowsComeFromNet_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("row");
    // Rows: 0 Позиции:, 1-20000 places, 20001 Переходы:, 20002-30001
    // transitions, 30002 Дуги:, 30003-35002 arcs.
    QTest::newRow("end key") << u"end"_s << int(KindArc) << 4999 << 35002;
    QTest::newRow("page down") << u"page"_s << int(KindPlace) << 11 << 12;
    QTest::newRow("middle place selected") << u"select"_s << int(KindPlace) << 10000 << 10001;
    QTest::newRow("last transition selected") << u"select"_s << int(KindTransition) << 9999 << 30001;
    QTest::newRow("first arc selected") << u"select"_s << int(KindArc) << 0 << 30003;
}

// A net far larger than the view: the rows, the current row and the row in
// view still follow the net's sections at their far ends.
void TInspectorTest::largeNetRowsComeFromNet()
{
    QFETCH(QString, step);
    QFETCH(int, kind);
    QFETCH(int, index);
    QFETCH(int, row);
    TFixture f;
    for (int i = 0; i < 30000; ++i) {
        TStaticNetElement *node = i < 20000 ? static_cast<TStaticNetElement *>(new TPosition(f.Net))
                                            : static_cast<TStaticNetElement *>(new TTransfer(f.Net));
        node->X = 20 + i % 60 * 10;
        node->Y = 20 + i / 60 % 45 * 10;
        node->AssignDefaultName();
        if (i < 20000)
            f.Net->Places.append(static_cast<TPosition *>(node));
        else
            f.Net->Transitions.append(static_cast<TTransfer *>(node));
    }
    for (int i = 0; i < 5000; ++i)
        f.Net->Arcs.append(TArc::CreateBetween(f.Net, f.Net->Place(i), f.Net->Transition(i)));
    f.Net->NotifyChange();
    QCOMPARE(Drv(f.Doc).ElementRows(), 35003);
    QCOMPARE(Drv(f.Doc).ElementRowText(20001), u"Переходы:"_s);
    QCOMPARE(Drv(f.Doc).ElementRowText(30002), u"Дуги:"_s);
    QCOMPARE(Drv(f.Doc).ElementRowText(35002), f.Net->Arc(4999)->Name);
    TNetElement *e = kind == KindPlace ? static_cast<TNetElement *>(f.Net->Place(index))
                     : kind == KindArc ? static_cast<TNetElement *>(f.Net->Arc(index))
                                       : static_cast<TNetElement *>(f.Net->Transition(index));
    QListView *list = Drv(f.Doc).Elements();
    list->setFocus();
    if (step == u"end"_s)
        QTest::keyClick(list, Qt::Key_End);
    else if (step == u"page"_s)
        QTest::keyClick(list, Qt::Key_PageDown);
    else
        e->SetSelected(true);
    QCOMPARE(Drv(f.Doc).CurrentElementRow(), row);
    QCOMPARE(Drv(f.Doc).LastElementIndex(), row);
    QCOMPARE(f.Doc->InspectedElement(), e);
    QCOMPARE(Drv(f.Doc).ElementRowText(row), e->Name);
    QCOMPARE(Drv(f.Doc).NameEdit()->text(), e->Name);
    QVERIFY(list->viewport()->rect().contains(Drv(f.Doc).ElementRowRect(row)));
}

void TInspectorTest::editorsByKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("described");
    QTest::addColumn<QString>("countCaption");
    QTest::addColumn<QString>("nameCaption");
    QTest::addColumn<int>("nameTop");
    QTest::addColumn<int>("descriptionTop");
    QTest::addColumn<int>("height");
    QTest::newRow("place") << int(KindPlace) << false << u"Число фишек:"_s << u"Название:"_s << 301 << 344 << 324;
    QTest::newRow("place, described") << int(KindPlace) << true << u"Число фишек:"_s << u"Название:"_s << 301
                                      << 344 << 472;
    QTest::newRow("arc") << int(KindArc) << false << u"Кратность:"_s << u"Название:"_s << 301 << 344 << 324;
    QTest::newRow("arc, described") << int(KindArc) << true << u"Кратность:"_s << u"Название:"_s << 301 << 344
                                    << 472;
    QTest::newRow("transition") << int(KindTransition) << false << u"Название:"_s << u"Описание:"_s << 260 << 301
                                << 283;
    QTest::newRow("transition, described")
        << int(KindTransition) << true << u"Название:"_s << u"Описание:"_s << 260 << 301 << 429;
}

void TInspectorTest::editorsByKind()
{
    QFETCH(int, kind);
    QFETCH(bool, described);
    QFETCH(QString, countCaption);
    QFETCH(QString, nameCaption);
    QFETCH(int, nameTop);
    QFETCH(int, descriptionTop);
    QFETCH(int, height);
    TFixture f;
    f.Build(1, 1, 1);
    TNetElement *e = kind == KindPlace ? static_cast<TNetElement *>(f.Net->Place(0))
                     : kind == KindArc ? static_cast<TNetElement *>(f.Net->Arc(0))
                                       : static_cast<TNetElement *>(f.Net->Transition(0));
    e->HasDescription = described;
    e->Description = described ? u"текст"_s : QString();
    f.Inspect(e);
    QCOMPARE(f.Doc->InspectedElement(), e);
    QCOMPARE(Drv(f.Doc).CountLabel()->text(), countCaption);
    QCOMPARE(Drv(f.Doc).NameEditLabel()->text(), nameCaption);
    QCOMPARE(Drv(f.Doc).NameEdit()->y(), nameTop);
    QCOMPARE(Drv(f.Doc).NameEdit()->text(), e->Name);
    QCOMPARE(Drv(f.Doc).Description()->y(), descriptionTop);
    QCOMPARE(Drv(f.Doc).Description()->isVisible(), described);
    QCOMPARE(Drv(f.Doc).CountEdit()->isVisible(), kind != KindTransition);
    QCOMPARE(Drv(f.Doc).CntUpBtn()->isVisible(), kind != KindTransition);
    QCOMPARE(Drv(f.Doc).InspectorScrollPanel()->height(), height);
    QCOMPARE(Drv(f.Doc).InspectorScrollPanel()->y(), 0);
    QVERIFY(Drv(f.Doc).NIToolBar()->isVisible());
    if (described)
        QCOMPARE(Drv(f.Doc).Description()->toPlainText(), u"текст"_s);
}

void TInspectorTest::counterKeys_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("downEnabled");
    const int top = std::numeric_limits<qint32>::max();
    QTest::newRow("place up") << int(KindPlace) << 0 << int(Qt::Key_Up) << 1 << true;
    QTest::newRow("place down to 0") << int(KindPlace) << 1 << int(Qt::Key_Down) << 0 << false;
    QTest::newRow("place at 0") << int(KindPlace) << 0 << int(Qt::Key_Down) << 0 << false;
    QTest::newRow("arc at 1") << int(KindArc) << 1 << int(Qt::Key_Down) << 1 << false;
    QTest::newRow("arc down") << int(KindArc) << 3 << int(Qt::Key_Down) << 2 << true;
    QTest::newRow("place at top") << int(KindPlace) << top << int(Qt::Key_Up) << top << true;
    QTest::newRow("arc at top") << int(KindArc) << top << int(Qt::Key_Up) << top << true;
    QTest::newRow("other key") << int(KindPlace) << 4 << int(Qt::Key_5) << 4 << true;
}

void TInspectorTest::counterKeys()
{
    QFETCH(int, kind);
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    QFETCH(bool, downEnabled);
    TFixture f;
    f.Build(1, 1, 1);
    TNetElement *e = kind == KindPlace ? static_cast<TNetElement *>(f.Net->Place(0))
                                       : static_cast<TNetElement *>(f.Net->Arc(0));
    auto value = [&] {
        return kind == KindPlace ? f.Net->Place(0)->Tokens : f.Net->Arc(0)->Multiplicity;
    };
    if (kind == KindPlace)
        f.Net->Place(0)->Tokens = start;
    else
        f.Net->Arc(0)->Multiplicity = start;
    f.Inspect(e);
    QCOMPARE(Drv(f.Doc).CountEdit()->text(), QString::number(start));
    Drv(f.Doc).CountEdit()->setFocus();
    const int snapshots = f.Net->UndoStack.Count();
    QTest::keyClick(Drv(f.Doc).CountEdit(), Qt::Key(key));
    QCOMPARE(value(), expected);
    QCOMPARE(Drv(f.Doc).CountEdit()->text(), QString::number(expected));
    QCOMPARE(Drv(f.Doc).CountEdit()->cursorPosition(), 0);
    QCOMPARE(Drv(f.Doc).CntDownBtn()->isEnabled(), downEnabled);
    // A step that happens marks the document and can be undone.
    QCOMPARE(f.Net->Saved, expected == start);
    QCOMPARE(f.Net->UndoStack.Count(), snapshots + (expected != start ? 1 : 0));
}

void TInspectorTest::counterButtonsRepeat()
{
    TFixture f;
    f.Build(1, 0, 0);
    f.Inspect(f.Net->Place(0));
    TGKSpeedButton *up = Drv(f.Doc).CntUpBtn();
    const QPoint centre = up->rect().center();
    // A press shorter than one tick changes nothing.
    QTest::mousePress(up, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(up, Qt::LeftButton, {}, centre);
    QTest::qWait(120);
    QCOMPARE(f.Net->Place(0)->Tokens, 0);
    // Held: one step per tick until released.
    QTest::mousePress(up, Qt::LeftButton, {}, centre);
    QTRY_VERIFY_WITH_TIMEOUT(f.Net->Place(0)->Tokens >= 3, 2000);
    QTest::mouseRelease(up, Qt::LeftButton, {}, centre);
    const int held = f.Net->Place(0)->Tokens;
    QTest::qWait(150);
    QCOMPARE(f.Net->Place(0)->Tokens, held);
    QCOMPARE(Drv(f.Doc).CountEdit()->text(), QString::number(held));
    // Holding the down button stops at 0 and disables it.
    TGKSpeedButton *down = Drv(f.Doc).CntDownBtn();
    QTest::mousePress(down, Qt::LeftButton, {}, down->rect().center());
    QTRY_COMPARE_WITH_TIMEOUT(f.Net->Place(0)->Tokens, 0, 3000);
    QTRY_VERIFY(!Drv(f.Doc).Counter()->isActive());
    QVERIFY(!down->isEnabled());
    QCOMPARE(f.Net->Place(0)->Tokens, 0);
}

void TInspectorTest::downButtonFollowsInspectedValue()
{
    TFixture f;
    f.Build(2, 0, 0);
    f.Net->Place(1)->Tokens = 5;
    f.Inspect(f.Net->Place(0));
    QVERIFY(!Drv(f.Doc).CntDownBtn()->isEnabled());
    f.Inspect(f.Net->Place(1));
    QVERIFY(Drv(f.Doc).CntDownBtn()->isEnabled());
    QCOMPARE(Drv(f.Doc).CountEdit()->text(), u"5"_s);
}

void TInspectorTest::renameAndDescribe()
{
    TFixture f;
    f.Build(2, 0, 0);
    TPosition *p = f.Net->Place(0);
    f.Inspect(p);
    const int snapshots = f.Net->UndoStack.Count();
    // Leaving the name box untouched changes nothing.
    Drv(f.Doc).NameEdit()->setFocus();
    Drv(f.Doc).Elements()->setFocus();
    QVERIFY(f.Net->Saved);
    // Enter stores the typed name.
    Drv(f.Doc).NameEdit()->setFocus();
    Drv(f.Doc).NameEdit()->selectAll();
    TypeText(Drv(f.Doc).NameEdit(), u"Склад"_s);
    QTest::keyClick(Drv(f.Doc).NameEdit(), Qt::Key_Return);
    QCOMPARE(p->Name, u"Склад"_s);
    QCOMPARE(Drv(f.Doc).ElementRowText(1), u"Склад"_s);
    QVERIFY(!f.Net->Saved);
    QCOMPARE(f.Net->UndoStack.Count(), snapshots);
    // Leaving the box stores it too, even an empty name.
    f.Net->Saved = true;
    Drv(f.Doc).NameEdit()->setFocus();
    Drv(f.Doc).NameEdit()->clear();
    Drv(f.Doc).Elements()->setFocus();
    QCOMPARE(p->Name, QString());
    QVERIFY(!f.Net->Saved);

    // Leaving the memo stores the description.
    p->HasDescription = true;
    f.Inspect(f.Net->Place(1));
    f.Inspect(p);
    f.Net->Saved = true;
    Drv(f.Doc).Description()->setFocus();
    TypeText(Drv(f.Doc).Description(), u"Запас"_s);
    Drv(f.Doc).NameEdit()->setFocus();
    QCOMPARE(p->Description, u"Запас"_s);
    QVERIFY(!f.Net->Saved);
}

void TInspectorTest::descriptionCommands()
{
    TFixture f;
    f.Build(1, 0, 0);
    TPosition *p = f.Net->Place(0);
    f.Doc->UpdateActions();
    QVERIFY(f.Doc->Commands().ActionEditCreateDescr->isEnabled());
    QVERIFY(!f.Doc->Commands().ActionEditDelDescr->isEnabled());
    f.Doc->Execute(f.Doc->Commands().ActionEditCreateDescr);
    QVERIFY(p->HasDescription);
    QVERIFY(Drv(f.Doc).Description()->isVisible());
    QCOMPARE(Drv(f.Doc).InspectorScrollPanel()->height(), 472);
    QVERIFY(!f.Doc->Commands().ActionEditCreateDescr->isEnabled());
    QVERIFY(f.Doc->Commands().ActionEditDelDescr->isEnabled());
    p->Description = u"текст"_s;
    f.Doc->Execute(f.Doc->Commands().ActionEditDelDescr);
    QVERIFY(!p->HasDescription);
    QCOMPARE(p->Description, QString());
    QVERIFY(Drv(f.Doc).Description()->isHidden());
    QCOMPARE(Drv(f.Doc).InspectorScrollPanel()->height(), 324);
}

void TInspectorTest::enteringControlSelectsInstrument()
{
    TFixture f;
    f.Build(1, 0, 0);
    f.Doc->Execute(f.Doc->Commands().ActionNetDoPosition);
    QCOMPARE(Drv(f.Doc).Instrument(), 1);
    Drv(f.Doc).NameEdit()->setFocus();
    QCOMPARE(Drv(f.Doc).Instrument(), 0);
    QVERIFY(f.Doc->Commands().ActionNetDoSelection->isChecked());
    // The focused control is framed in the frame colour on its panel.
    const QRect g = Drv(f.Doc).NameEdit()->geometry();
    TGKPanel *panel = Drv(f.Doc).InspectorScrollPanel();
    QCOMPARE(PixelOf(panel, g.topLeft() - QPoint(1, 1)), f.Doc->XPColorMap().BtnFrameColor);
    Drv(f.Doc).Elements()->setFocus();
    QCOMPARE(PixelOf(panel, g.topLeft() - QPoint(1, 1)), panel->Color());
}

void TInspectorTest::repaintHasNoSideEffects()
{
    TFixture f;
    f.Build(1, 0, 0);
    TPosition *p = f.Net->Place(0);
    p->HasDescription = true;
    f.Inspect(p);
    Drv(f.Doc).Elements()->setFocus();
    f.Doc->Execute(f.Doc->Commands().ActionNetDoArc);
    // A memo text that was never left, and a repaint while the list has the focus.
    Drv(f.Doc).Description()->setPlainText(u"не сохранено"_s);
    Drv(f.Doc).InspectorScrollPanel()->repaint();
    QCOMPARE(p->Description, QString());
    QVERIFY(f.Net->Saved);
    QCOMPARE(Drv(f.Doc).Instrument(), 3);
}

void TInspectorTest::sidePanelsShownAndHidden()
{
    TFixture f;
    QVERIFY(Drv(f.Doc).NetInspector()->isVisible());
    QVERIFY(Drv(f.Doc).NetState()->isHidden());
    f.Doc->Execute(f.Doc->Commands().ActionViewInspector);
    QVERIFY(!f.Doc->Commands().ActionViewInspector->isChecked());
    QVERIFY(Drv(f.Doc).NetInspector()->isHidden());
    QVERIFY(Drv(f.Doc).LeftPanel()->isHidden());
    f.Doc->Execute(f.Doc->Commands().ActionViewInspector);
    QVERIFY(Drv(f.Doc).NetInspector()->isVisible());
    QVERIFY(Drv(f.Doc).LeftPanel()->isVisible());
    // The small close button in the caption strip clears the check mark.
    QTest::mouseClick(Drv(f.Doc).CloseInspectorButton(), Qt::LeftButton, {},
                      Drv(f.Doc).CloseInspectorButton()->rect().center());
    QVERIFY(!f.Doc->Commands().ActionViewInspector->isChecked());
    QVERIFY(Drv(f.Doc).LeftPanel()->isHidden());
}

QTEST_MAIN(TInspectorTest)
#include "tst_elementspanel.moc"
