// The canvas driven with real mouse events: the six instruments, selection,
// dragging, arcs, popups and their commands, scrolling, painting and hints.
#include "UiFixtures.h"
#include "controls/ColorMap.h"
#include "controls/GKSpeedButton.h"
#include "controls/PanelUnit.h"
#include "doc/DocForm.h"

#include "NetUnit.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <limits>

using namespace Qt::StringLiterals;

namespace {
constexpr qint32 MaxCount = std::numeric_limits<qint32>::max();

enum TGesture { Click, RightClick, DragTo };

// A document window with a small net: places P (100, 100) and Q (100, 180),
// transition T (200, 100) and the arc P -> T, all unselected and saved.
// Points are given relative to the sheet's inner corner (OriginX, OriginY).
struct TCanvasFixture
{
    TCanvasFixture()
    {
        // No to every question (no unsaved net is kept); dialogs are cancelled.
        App.Prompts->Unscripted = QMessageBox::No;
        Doc->show();
        Area = Drv(Doc).DocArea();
        Net = Doc->GetNet();
        Doc->Canvas().ShowCanvasPopup = [this](QMenu *popup, QPoint globalPos) {
            Popups << popup;
            PopupPoints << Area->mapFromGlobal(globalPos);
            if (OnPopup)
                OnPopup(popup);
        };
        P = Net->AddPlace(At(100, 100).x(), At(100, 100).y());
        Q = Net->AddPlace(At(100, 180).x(), At(100, 180).y());
        T = Net->AddTransition(At(200, 100).x(), At(200, 100).y());
        A = TArc::CreateBetween(Net, P, T);
        Net->Arcs.append(A);
        Net->CancelSelection();
        Reset();
    }
    // Forgets undo snapshots and unsaved changes made so far.
    void Reset()
    {
        Net->UndoStack.Snapshots.clear();
        Net->Saved = true;
        Doc->Canvas().RepaintCanvas();
    }
    QPoint At(int x, int y) const { return {Net->OriginX() + x, Net->OriginY() + y}; }
    void Use(int instrument) { Doc->Execute(Doc->Commands().InstrumentGroup->actions().at(instrument)); }
    void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {})
    {
        QTest::mousePress(Area, b, m, p);
    }
    void Move(QPoint p) { QTest::mouseMove(Area, p); }
    void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {})
    {
        QTest::mouseRelease(Area, b, m, p);
    }
    void ClickAt(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {})
    {
        Press(p, b, m);
        Release(p, b, m);
    }
    // A drag starts where the pointer is at the first move, so the first
    // move stays on the pressed point.
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers m = {})
    {
        Press(from, Qt::LeftButton, m);
        Move(from);
        Move((from + to) / 2);
        Move(to);
        Release(to, Qt::LeftButton, m);
    }
    QList<TNetElement *> Selected() const
    {
        QList<TNetElement *> list;
        for (int i = 0; i < Net->SelectedCount(); ++i)
            list << Net->SelectedElement(i);
        return list;
    }
    void Activate()
    {
        QApplication::setActiveWindow(Doc);
        QVERIFY(QTest::qWaitForWindowActive(Doc));
    }

    TShellFixture App;
    TDocForm *Doc = App.Doc();
    QWidget *Area = nullptr;
    TPetryNet *Net = nullptr;
    TPosition *P = nullptr, *Q = nullptr;
    TTransfer *T = nullptr;
    TArc *A = nullptr;
    QList<QMenu *> Popups;
    QList<QPoint> PopupPoints;
    std::function<void(QMenu *)> OnPopup;
};

// Pixels where two pictures of the same size differ.
// In logical pixels: at a higher device pixel ratio each device pixel that
// differs names the logical pixel it lies in.
QList<QPoint> Differences(const QImage &a, const QImage &b)
{
    QList<QPoint> points;
    const qreal ratio = a.devicePixelRatio();
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                points << QPoint(int(x / ratio), int(y / ratio));
    return points;
}
} // namespace

class TCanvasTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { NetClipboard.Clear(); }
    void instruments_data();
    void instruments();
    void clickSelectionModifiers_data();
    void clickSelectionModifiers();
    void bandSelection_data();
    void bandSelection();
    void bandFeedbackErasesExactly();
    void bandScrollsAtRightEdge();
    void bandAtScrolledLeftEdgeDoesNotScroll();
    void dragMovesSelectionAndStopsAtSheet();
    void dragBendPointOfUnselectedArc();
    void arcGestureLeavesNoHighlight();
    void popups_data();
    void popups();
    void rightClickKeepsSelection();
    void pasteAtPopupPointOnce();
    void popupCreatesWithoutPlaceTest_data();
    void popupCreatesWithoutPlaceTest();
    void arcPopupCommands();
    void arcMenuCommands();
    void instrumentShortcutEndsGesture_data();
    void instrumentShortcutEndsGesture();
    void modellingClickFires();
    void layoutSheet();
    void scrollBarMovesSheet();
    void emptyFramePaintsWorkspace();
    void sheetShadow();
    void hintTexts();
    void hintSwitching();
    void hintShownOnlyForActiveWindow();
    void inspectorHoverScroll();
    void drawNetWithMouse();
};

void TCanvasTest::instruments_data()
{
    QTest::addColumn<int>("instrument");
    QTest::addColumn<qint32>("tokens"); // of P before the gesture
    QTest::addColumn<qint32>("multiplicity"); // of the arc before the gesture
    QTest::addColumn<int>("gesture");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("places");
    QTest::addColumn<int>("transitions");
    QTest::addColumn<int>("arcs");
    QTest::addColumn<qint32>("tokensAfter");
    QTest::addColumn<qint32>("multiplicityAfter");
    QTest::addColumn<int>("snapshots");
    QTest::addColumn<bool>("changed");
    const QPoint p(100, 100), q(100, 180), t(200, 100), arc(150, 100), empty(300, 200);
    auto row = [](const char *name, int tool, qint32 tokens, qint32 mult, TGesture g, QPoint from, QPoint to,
                  int places, int transitions, int arcs, qint32 tokensAfter, qint32 multAfter, int snapshots) {
        QTest::newRow(name) << tool << tokens << mult << int(g) << from << to << places << transitions << arcs
                            << tokensAfter << multAfter << snapshots << (snapshots > 0);
    };
    row("selection click", 0, 0, 1, Click, p, p, 2, 1, 1, 0, 1, 0);
    row("selection drag", 0, 0, 1, DragTo, p, p + QPoint(30, 0), 2, 1, 1, 0, 1, 1);
    row("place click", 1, 0, 1, Click, empty, empty, 3, 1, 1, 0, 1, 1);
    row("place beside the edge", 1, 0, 1, Click, QPoint(3, 100), QPoint(3, 100), 2, 1, 1, 0, 1, 0);
    row("transition click", 2, 0, 1, Click, empty, empty, 2, 2, 1, 0, 1, 1);
    row("transition beside the edge", 2, 0, 1, Click, QPoint(100, 1), QPoint(100, 1), 2, 1, 1, 0, 1, 0);
    row("arc same direction again", 3, 0, 1, DragTo, p, t, 2, 1, 1, 0, 1, 0);
    row("arc opposite direction", 3, 0, 1, DragTo, t, p, 2, 1, 2, 0, 1, 1);
    row("arc place to transition", 3, 0, 1, DragTo, q, t, 2, 1, 2, 0, 1, 1);
    row("arc place to place", 3, 0, 1, DragTo, p, q, 2, 1, 1, 0, 1, 0);
    row("arc to empty sheet", 3, 0, 1, DragTo, q, empty, 2, 1, 1, 0, 1, 0);
    row("arc from empty sheet", 3, 0, 1, DragTo, empty, t, 2, 1, 1, 0, 1, 0);
    row("tokens left", 4, 0, 1, Click, p, p, 2, 1, 1, 1, 1, 1);
    row("tokens right", 4, 3, 1, RightClick, p, p, 2, 1, 1, 2, 1, 1);
    row("tokens right at zero", 4, 0, 1, RightClick, p, p, 2, 1, 1, 0, 1, 0);
    row("tokens left at maximum", 4, MaxCount, 1, Click, p, p, 2, 1, 1, MaxCount, 1, 0);
    row("tokens on a transition", 4, 0, 1, Click, t, t, 2, 1, 1, 0, 1, 0);
    row("multiplicity left", 5, 0, 1, Click, arc, arc, 2, 1, 1, 0, 2, 1);
    row("multiplicity right", 5, 0, 4, RightClick, arc, arc, 2, 1, 1, 0, 3, 1);
    row("multiplicity right at one", 5, 0, 1, RightClick, arc, arc, 2, 1, 1, 0, 1, 0);
    row("multiplicity left at maximum", 5, 0, MaxCount, Click, arc, arc, 2, 1, 1, 0, MaxCount, 0);
    row("multiplicity on a place", 5, 0, 1, Click, p, p, 2, 1, 1, 0, 1, 0);
}

void TCanvasTest::instruments()
{
    QFETCH(int, instrument);
    QFETCH(qint32, tokens);
    QFETCH(qint32, multiplicity);
    QFETCH(int, gesture);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    TCanvasFixture f;
    f.P->Tokens = tokens;
    f.A->Multiplicity = multiplicity;
    f.Use(instrument);
    QCOMPARE(Drv(f.Doc).Instrument(), instrument);
    if (gesture == Click)
        f.ClickAt(f.At(from.x(), from.y()));
    else if (gesture == RightClick)
        f.ClickAt(f.At(from.x(), from.y()), Qt::RightButton);
    else
        f.Drag(f.At(from.x(), from.y()), f.At(to.x(), to.y()));

    QTEST(f.Net->PlaceCount(), "places");
    QTEST(f.Net->TransitionCount(), "transitions");
    QTEST(f.Net->ArcCount(), "arcs");
    QTEST(f.P->Tokens, "tokensAfter");
    QTEST(f.A->Multiplicity, "multiplicityAfter");
    QTEST(f.Net->UndoStack.Count(), "snapshots");
    QTEST(!f.Net->Saved, "changed");
    QVERIFY(!f.Doc->Canvas().Capturing());
    QVERIFY(!f.Doc->Canvas().ButtonPressed());
    // What a gesture made or touched is what is selected afterwards.
    const QList<TNetElement *> selected = f.Selected();
    if (f.Net->ElementCount() > 4) {
        QCOMPARE(selected.size(), 1);
        QVERIFY(!QList<TNetElement *>({f.P, f.Q, f.T, f.A}).contains(selected.first()));
    }
    const TNetElement *hit = f.Net->ElementAt(f.At(from.x(), from.y()).x(), f.At(from.x(), from.y()).y());
    if ((instrument == 4 && hit == f.P) || (instrument == 5 && hit == f.A))
        QCOMPARE(selected, QList<TNetElement *>{const_cast<TNetElement *>(hit)});
    // The status line follows the change.
    QCOMPARE(Drv(f.Doc).SelectionInfo()->Caption(),
             TDocForm::SelectionText(f.Net->SelectedCount(), f.Net->ElementCount(), f.Net->PlaceCount(),
                                     f.Net->TransitionCount(), f.Net->ArcCount()));
}

void TCanvasTest::clickSelectionModifiers_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QStringList>("selected");
    // P and Q are selected before the click.
    QTest::newRow("plain on T") << 0 << QPoint(200, 100) << QStringList{u"T"_s};
    QTest::newRow("plain on empty sheet") << 0 << QPoint(300, 200) << QStringList{};
    QTest::newRow("ctrl adds T") << int(Qt::ControlModifier) << QPoint(200, 100)
                                 << QStringList{u"P"_s, u"Q"_s, u"T"_s};
    QTest::newRow("shift removes P") << int(Qt::ShiftModifier) << QPoint(100, 100) << QStringList{u"Q"_s};
    QTest::newRow("shift wins over ctrl") << int(Qt::ShiftModifier | Qt::ControlModifier) << QPoint(100, 100)
                                          << QStringList{u"Q"_s};
}

void TCanvasTest::clickSelectionModifiers()
{
    QFETCH(int, modifiers);
    QFETCH(QPoint, point);
    QFETCH(QStringList, selected);
    TCanvasFixture f;
    f.P->Name = u"P"_s;
    f.Q->Name = u"Q"_s;
    f.T->Name = u"T"_s;
    f.P->SetSelected(true);
    f.Q->SetSelected(true);
    f.ClickAt(f.At(point.x(), point.y()), Qt::LeftButton, Qt::KeyboardModifiers(modifiers));
    QStringList names;
    for (TNetElement *e : f.Selected())
        names << e->Name;
    names.sort();
    QCOMPARE(names, selected);
    QCOMPARE(f.Net->UndoStack.Count(), 0);
    QVERIFY(f.Net->Saved);
}

void TCanvasTest::bandSelection_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("selected");
    // T is selected before; the band covers P and Q (and the arc's start).
    QTest::newRow("plain") << 0 << QStringList{u"A"_s, u"P"_s, u"Q"_s};
    QTest::newRow("ctrl") << int(Qt::ControlModifier) << QStringList{u"A"_s, u"P"_s, u"Q"_s, u"T"_s};
    QTest::newRow("shift") << int(Qt::ShiftModifier) << QStringList{u"T"_s};
}

void TCanvasTest::bandSelection()
{
    QFETCH(int, modifiers);
    QFETCH(QStringList, selected);
    TCanvasFixture f;
    f.P->Name = u"P"_s;
    f.Q->Name = u"Q"_s;
    f.T->Name = u"T"_s;
    f.A->Name = u"A"_s;
    f.T->SetSelected(true);
    if (modifiers & Qt::ShiftModifier)
        f.Net->SelectAll();
    const auto m = Qt::KeyboardModifiers(modifiers);
    f.Press(f.At(60, 60), Qt::LeftButton, m);
    f.Move(f.At(60, 60));
    QVERIFY(f.Doc->Canvas().Capturing());
    QVERIFY(!f.Doc->Canvas().CanvasHints());
    f.Move(f.At(130, 200));
    f.Release(f.At(130, 200), Qt::LeftButton, m);
    QVERIFY(f.Doc->Canvas().CanvasHints());
    QStringList names;
    for (TNetElement *e : f.Selected())
        names << e->Name;
    names.sort();
    QCOMPARE(names, selected);
    QCOMPARE(f.Net->UndoStack.Count(), 0);
}

void TCanvasTest::bandFeedbackErasesExactly()
{
    TCanvasFixture f;
    const QImage before = f.Doc->Canvas().CanvasScreen().copy();
    f.Press(f.At(20, 20));
    f.Move(f.At(20, 20));
    f.Move(f.At(150, 130));
    f.Move(f.At(90, 60));
    // Only the dotted border of the latest band differs from the picture.
    const QRect band = QRect(f.At(20, 20), f.At(90, 60)).adjusted(0, 0, -1, -1);
    const QList<QPoint> diff = Differences(before, f.Doc->Canvas().CanvasScreen());
    QVERIFY(!diff.isEmpty());
    for (const QPoint &p : diff) {
        const bool onBorder = (p.x() == band.left() || p.x() == band.right()) ||
                              (p.y() == band.top() || p.y() == band.bottom());
        QVERIFY2(onBorder && band.contains(p), qPrintable(u"stray pixel at %1,%2"_s.arg(p.x()).arg(p.y())));
    }
    f.Release(f.At(90, 60));
    QVERIFY(Differences(before, f.Doc->Canvas().CanvasScreen()).isEmpty());
}

void TCanvasTest::bandScrollsAtRightEdge()
{
    TCanvasFixture f;
    // A place beyond the visible part of the sheet, reached only by scrolling.
    TPosition *far = f.Net->AddPlace(f.At(650, 100).x(), f.At(650, 100).y());
    f.Net->CancelSelection();
    const int edge = f.Area->width() - 10;
    QVERIFY(f.At(650, 100).x() > f.Area->width());
    QVERIFY(Drv(f.Doc).DownScrollBar()->maximum() > 1);
    f.Press(f.At(300, 80));
    f.Move(f.At(300, 80));
    QVERIFY(f.Doc->Canvas().Capturing());
    int moves = 0;
    for (;;) {
        const qint32 left = f.Net->SheetLeft;
        const int position = Drv(f.Doc).DownScrollBar()->value();
        f.Move(QPoint(edge, f.At(0, 120).y()));
        QVERIFY(f.Doc->Canvas().TrackPoint().x() <= f.Net->MaxX());
        QVERIFY(f.Doc->Canvas().TrackPoint().x() >= f.Net->OriginX());
        if (f.Net->SheetLeft == left) {
            QCOMPARE(Drv(f.Doc).DownScrollBar()->value(), position);
            break;
        }
        // One pixel per move, and the band's fixed corner stays on the same sheet point.
        QCOMPARE(f.Net->SheetLeft, left - 1);
        QCOMPARE(Drv(f.Doc).DownScrollBar()->value(), position + 1);
        QCOMPARE(f.Doc->Canvas().ClickPoint(), f.At(300, 80));
        QVERIFY(++moves < 1000);
    }
    QCOMPARE(moves, Drv(f.Doc).DownScrollBar()->maximum() - 1);
    QCOMPARE(f.Doc->Canvas().TrackPoint().x(), f.Net->MaxX());
    f.Release(QPoint(edge, f.At(0, 120).y()));
    QVERIFY(far->Selected);
    QVERIFY(!f.P->Selected);
}

void TCanvasTest::bandAtScrolledLeftEdgeDoesNotScroll()
{
    TCanvasFixture f;
    Drv(f.Doc).DownScrollBar()->setValue(1);
    QCOMPARE(f.Net->SheetLeft, -1);
    f.Press(f.At(100, 50));
    f.Move(f.At(100, 50));
    QCOMPARE(f.Doc->Canvas().ScrollCanvasBy(-1, 0), QPoint(0, 0));
    f.Move(QPoint(-5, f.At(0, 60).y()));
    QCOMPARE(Drv(f.Doc).DownScrollBar()->value(), 1);
    QCOMPARE(f.Doc->Canvas().TrackPoint().x(), f.Net->OriginX());
    f.Release(QPoint(-5, f.At(0, 60).y()));
}

void TCanvasTest::dragMovesSelectionAndStopsAtSheet()
{
    TCanvasFixture f;
    // Dragging P (unselected) moves P alone; the arc follows, its bend points stay.
    f.A->AddPoint(f.At(150, 60).x(), f.At(150, 60).y(), false);
    f.Reset();
    const QPoint bend = f.A->GetPoint(0);
    f.Drag(f.At(100, 100), f.At(130, 110));
    QCOMPARE(f.P->CanvasCenter(), f.At(130, 110));
    QCOMPARE(f.Selected(), QList<TNetElement *>{f.P});
    QCOMPARE(f.A->GetPoint(0), bend);
    QCOMPARE(f.Net->UndoStack.Count(), 1);
    QVERIFY(!f.Net->Saved);

    // Both ends selected: the bend point moves too; the left sheet edge stops the move.
    f.T->SetSelected(true);
    f.Reset();
    const int room = f.P->GetLeft() - f.Net->OriginX();
    f.Drag(f.At(130, 110), f.At(130 - room - 50, 110));
    QCOMPARE(f.P->GetLeft(), f.Net->OriginX());
    QCOMPARE(f.A->GetPoint(0), bend - QPoint(room, 0));
    QCOMPARE(f.T->CanvasX(), f.At(200 - room, 0).x());

    // A drag that comes back to its start still records one snapshot.
    f.Reset();
    const QPoint start = f.P->CanvasCenter();
    f.Press(start);
    f.Move(start);
    f.Move(start + QPoint(20, 0));
    f.Move(start);
    f.Release(start);
    QCOMPARE(f.P->CanvasCenter(), start);
    QCOMPARE(f.Net->UndoStack.Count(), 1);
}

void TCanvasTest::dragBendPointOfUnselectedArc()
{
    TCanvasFixture f;
    f.A->AddPoint(f.At(150, 60).x(), f.At(150, 60).y(), false);
    f.P->SetSelected(true);
    f.Reset();
    const QPoint bend = f.A->GetPoint(0);
    f.Drag(bend, bend + QPoint(10, 25));
    QCOMPARE(f.A->GetPoint(0), bend + QPoint(10, 25));
    QCOMPARE(f.Selected(), QList<TNetElement *>{f.A});
    QCOMPARE(f.P->CanvasCenter(), f.At(100, 100));
    QCOMPARE(f.Net->UndoStack.Count(), 1);
}

void TCanvasTest::arcGestureLeavesNoHighlight()
{
    TCanvasFixture f;
    f.Use(3);
    f.Press(f.At(100, 180));
    QVERIFY(f.Q->Highlighted);
    QVERIFY(f.Doc->Canvas().Capturing());
    f.Move(f.At(200, 100));
    QVERIFY(f.T->Highlighted);
    QCOMPARE(f.Net->GetArcTarget(), f.T);
    f.Move(f.At(100, 100)); // a place: no target
    QVERIFY(!f.T->Highlighted);
    QVERIFY(!f.P->Highlighted);
    QCOMPARE(f.Net->GetArcTarget(), nullptr);
    f.Release(f.At(100, 100));
    QVERIFY(!f.Q->Highlighted && !f.P->Highlighted && !f.T->Highlighted);
    QCOMPARE(f.Net->ArcCount(), 1);
    QVERIFY(!f.Doc->Canvas().Capturing());
}

void TCanvasTest::popups_data()
{
    QTest::addColumn<int>("instrument");
    QTest::addColumn<QString>("popup");
    QTest::newRow("selection") << 0 << u"CanvasPopup"_s;
    QTest::newRow("place") << 1 << u"PlacePopup"_s;
    QTest::newRow("transition") << 2 << u"TransitionPopup"_s;
    QTest::newRow("arc") << 3 << QString();
    QTest::newRow("tokens") << 4 << QString();
    QTest::newRow("multiplicity") << 5 << QString();
}

void TCanvasTest::popups()
{
    QFETCH(int, instrument);
    QFETCH(QString, popup);
    TCanvasFixture f;
    f.Q->SetSelected(true);
    f.Use(instrument);
    bool aloneWhenShown = false;
    f.OnPopup = [&](QMenu *) { aloneWhenShown = f.Selected() == QList<TNetElement *>{f.T}; };
    f.ClickAt(f.At(200, 100), Qt::RightButton);
    if (popup.isEmpty()) {
        QVERIFY(f.Popups.isEmpty());
        return;
    }
    QCOMPARE(f.Popups.size(), 1);
    QCOMPARE(f.Popups.first()->objectName(), popup);
    QCOMPARE(f.PopupPoints.first(), f.At(200, 100));
    // The element under the pointer was selected alone before the popup opened.
    QVERIFY(aloneWhenShown);
    QCOMPARE(f.Doc->Canvas().ClickPoint(), f.At(200, 100));
    QVERIFY(f.Doc->Canvas().PasteAtPoint());
    QVERIFY(!f.Doc->Canvas().ButtonPressed());
}

void TCanvasTest::rightClickKeepsSelection()
{
    TCanvasFixture f;
    f.P->SetSelected(true);
    f.T->SetSelected(true);
    f.ClickAt(f.At(200, 100), Qt::RightButton);
    QCOMPARE(f.Net->SelectedCount(), 2);
    QCOMPARE(f.Popups.size(), 1);
}

void TCanvasTest::pasteAtPopupPointOnce()
{
    TCanvasFixture f;
    f.P->SetSelected(true);
    f.Doc->Execute(f.Doc->Commands().ActionEditCopy);
    f.Net->CancelSelection();
    f.ClickAt(f.At(300, 150), Qt::RightButton);
    QCOMPARE(f.Popups.size(), 1);
    // Much later, from the keyboard: the paste goes to the right-click point.
    f.Doc->Execute(f.Doc->Commands().ActionEditPaste);
    QCOMPARE(f.Net->PlaceCount(), 3);
    TPosition *first = f.Net->Places.last();
    QCOMPARE(QPoint(first->GetLeft(), first->GetTop()), f.At(300, 150));
    QVERIFY(!f.Doc->Canvas().PasteAtPoint());
    // The next paste goes to the usual place again, not to the click point.
    f.Doc->Execute(f.Doc->Commands().ActionEditPaste);
    QCOMPARE(f.Net->PlaceCount(), 4);
    TPosition *second = f.Net->Places.last();
    QVERIFY(QPoint(second->GetLeft(), second->GetTop()) != f.At(300, 150));
    QVERIFY((second->CanvasCenter() - f.P->CanvasCenter()).manhattanLength() < 100);
}

void TCanvasTest::popupCreatesWithoutPlaceTest_data()
{
    QTest::addColumn<int>("instrument");
    QTest::addColumn<int>("places");
    QTest::addColumn<int>("transitions");
    QTest::newRow("place") << 1 << 3 << 1;
    QTest::newRow("transition") << 2 << 2 << 2;
}

void TCanvasTest::popupCreatesWithoutPlaceTest()
{
    QFETCH(int, instrument);
    TCanvasFixture f;
    f.Use(instrument);
    // Too close to the edge for a click, but the popup's command creates it.
    const QPoint corner = f.At(2, 2);
    f.ClickAt(corner);
    QCOMPARE(f.Net->ElementCount(), 4);
    f.OnPopup = [&](QMenu *popup) {
        const QList<QAction *> items = popup->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items.at(0)->text(), u"&Режим выбора элементов\tF2"_s);
        items.at(2)->trigger();
    };
    f.ClickAt(corner, Qt::RightButton);
    QTEST(f.Net->PlaceCount(), "places");
    QTEST(f.Net->TransitionCount(), "transitions");
    const TNetElement *made = f.Selected().value(0);
    QVERIFY(made);
    QCOMPARE(QPoint(static_cast<const TStaticNetElement *>(made)->CanvasCenter()), corner);
    QVERIFY(!f.Net->Saved);
    QCOMPARE(f.Net->UndoStack.Count(), 1);
    QVERIFY(Drv(f.Doc).SelectionInfo()->Caption().startsWith(u"1 из 5("_s));
}

void TCanvasTest::arcPopupCommands()
{
    TCanvasFixture f;
    const QPoint onArc = f.At(150, 100);
    auto choose = [&](QAction *action) {
        f.OnPopup = [&, action](QMenu *popup) {
            QVERIFY(popup->actions().contains(action));
            QVERIFY(action->isEnabled());
            action->trigger();
        };
    };
    // Reverse the arc under the click.
    choose(f.Doc->Commands().ActionEditInvDirC);
    f.ClickAt(onArc, Qt::RightButton);
    QVERIFY(f.A->TransitionToPlace);
    QVERIFY(!f.Net->Saved);
    QCOMPARE(f.Net->UndoStack.Count(), 0);

    // Add a bend point at the click, then delete it through its handle.
    f.Reset();
    choose(f.Doc->Commands().ActionEditArcAddPointC);
    f.ClickAt(f.At(130, 100), Qt::RightButton);
    QCOMPARE(f.A->PointCount(), 1);
    QCOMPARE(f.A->GetPoint(0), f.At(130, 100));
    QVERIFY(!f.Net->Saved);
    QCOMPARE(f.Net->UndoStack.Count(), 1);

    f.Reset();
    f.OnPopup = [&](QMenu *) { QVERIFY(!f.Doc->Commands().ActionEditArcDelPointC->isEnabled()); };
    f.ClickAt(f.At(170, 100), Qt::RightButton); // on the arc, away from the handle
    choose(f.Doc->Commands().ActionEditArcDelPointC);
    f.ClickAt(f.At(131, 101), Qt::RightButton);
    QCOMPARE(f.A->PointCount(), 0);
    QVERIFY(!f.Net->Saved);
}

void TCanvasTest::arcMenuCommands()
{
    TCanvasFixture f;
    TArc *back = TArc::CreateBetween(f.Net, f.T, f.Q);
    f.Net->Arcs.append(back);
    f.Reset();
    f.Net->SelectAll();
    // Reversing skips an arc whose opposite already joins the same nodes.
    f.Doc->Execute(f.Doc->Commands().ActionEditInvDirection);
    QVERIFY(f.A->TransitionToPlace);
    QVERIFY(!back->TransitionToPlace);
    QVERIFY(!f.Net->Saved);

    f.Reset();
    f.Net->CancelSelection();
    f.ClickAt(f.At(150, 100)); // selects the arc alone
    QCOMPARE(f.Selected(), QList<TNetElement *>{f.A});
    f.Doc->Execute(f.Doc->Commands().ActionEditArcAddPoint);
    f.Doc->Execute(f.Doc->Commands().ActionEditArcAddPoint);
    QCOMPARE(f.A->PointCount(), 2);
    f.Doc->Execute(f.Doc->Commands().ActionEditArcDelPoint);
    QCOMPARE(f.A->PointCount(), 1);
    QCOMPARE(f.Net->UndoStack.Count(), 3);
    QVERIFY(!f.Net->Saved);

    f.Doc->Execute(f.Doc->Commands().ActionEditSelectAll);
    QCOMPARE(f.Net->SelectedCount(), f.Net->ElementCount());
    f.Use(4);
    f.Doc->Execute(f.Doc->Commands().ActionEditCancSel);
    QCOMPARE(f.Net->SelectedCount(), 0);
    QCOMPARE(Drv(f.Doc).Instrument(), 0);
    QVERIFY(f.Doc->Commands().ActionNetDoSelection->isChecked());
}

void TCanvasTest::instrumentShortcutEndsGesture_data()
{
    QTest::addColumn<int>("instrument");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("key");
    QTest::newRow("drag, then F3") << 0 << QPoint(100, 100) << QPoint(140, 120) << int(Qt::Key_F3);
    QTest::newRow("band, then F4") << 0 << QPoint(300, 30) << QPoint(330, 60) << int(Qt::Key_F4);
    QTest::newRow("arc, then F2") << 3 << QPoint(100, 180) << QPoint(200, 100) << int(Qt::Key_F2);
    // Commands that replace or delete elements find no gesture holding them.
    QTest::newRow("drag, then delete") << 0 << QPoint(100, 100) << QPoint(140, 120)
                                       << (Qt::CTRL | Qt::Key_Delete).toCombined();
    QTest::newRow("arc, then undo") << 3 << QPoint(100, 180) << QPoint(200, 100)
                                    << (Qt::CTRL | Qt::Key_Z).toCombined();
}

void TCanvasTest::instrumentShortcutEndsGesture()
{
    QFETCH(int, instrument);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, key);
    TCanvasFixture f;
    f.Activate();
    f.Use(instrument);
    f.Q->SetSelected(true);
    f.Net->SaveUndo(); // something to undo
    f.Press(f.At(from.x(), from.y()));
    f.Move(f.At(from.x(), from.y()) + QPoint(1, 1));
    f.Move(f.At(to.x(), to.y()));
    QVERIFY(f.Doc->Canvas().Capturing());
    f.Doc->UpdateActions();
    const int elements = f.Net->ElementCount();
    const QKeyCombination combination = QKeyCombination::fromCombined(key);
    QTest::keyClick(f.Doc, combination.key(), combination.keyboardModifiers());
    QVERIFY(!f.Doc->Canvas().Capturing());
    QVERIFY(!f.Net->IsDragging());
    QCOMPARE(f.Net->GetArcSource(), nullptr);
    for (TStaticNetElement *node : {static_cast<TStaticNetElement *>(f.Net->Place(0)),
                                    static_cast<TStaticNetElement *>(f.Net->Transition(0))})
        QVERIFY(!node || !node->Highlighted);
    // The release that follows belongs to the ended gesture and makes nothing.
    const int after = f.Net->ElementCount();
    f.Release(f.At(to.x(), to.y()));
    QCOMPARE(f.Net->ElementCount(), after);
    QVERIFY(after <= elements);
    QCOMPARE(f.Doc->Canvas().CanvasHints(), Drv(f.Doc).Instrument() == 0);
    // What is on the screen is exactly the net: no feedback was left behind.
    const QImage shown = f.Doc->Canvas().CanvasScreen().copy();
    f.Doc->Canvas().RedrawCanvas();
    QCOMPARE(shown, f.Doc->Canvas().CanvasScreen());
}

void TCanvasTest::modellingClickFires()
{
    TCanvasFixture f;
    f.P->Tokens = 1;
    f.Doc->Execute(f.Doc->Commands().ActionModelingStart);
    QVERIFY(f.Net->Modelling);
    QVERIFY(f.Doc->Canvas().CanvasHints());
    // Moving with the button held does nothing; the release on T fires it.
    f.Press(f.At(200, 100), Qt::RightButton);
    f.Move(f.At(250, 150));
    f.Release(f.At(200, 100), Qt::RightButton);
    QCOMPARE(f.P->Tokens, 0);
    QVERIFY(f.Popups.isEmpty());
    f.ClickAt(f.At(200, 100));
    QCOMPARE(f.P->Tokens, 0);
    QCOMPARE(f.Net->PlaceCount(), 2);
}

void TCanvasTest::layoutSheet()
{
    TCanvasFixture f;
    f.Doc->Canvas().LayoutSheet(800, 600);
    QCOMPARE(f.Net->SheetLeft, (780 - 710) / 2);
    QCOMPARE(f.Net->SheetTop, (580 - 510) / 2);
    QCOMPARE(Drv(f.Doc).DownScrollBar()->maximum(), 1);
    QCOMPARE(Drv(f.Doc).RightScrollBar()->maximum(), 1);
    f.Doc->Canvas().LayoutSheet(400, 300);
    QCOMPARE(Drv(f.Doc).DownScrollBar()->maximum(), 710 - 380);
    QCOMPARE(Drv(f.Doc).RightScrollBar()->maximum(), 510 - 280);
    QCOMPARE(f.Net->SheetLeft, -Drv(f.Doc).DownScrollBar()->value());
    QCOMPARE(f.Net->SheetTop, -Drv(f.Doc).RightScrollBar()->value());

    // A real resize lays the sheet out again.
    f.Doc->resize(1200, 800);
    QTRY_COMPARE(Drv(f.Doc).DownScrollBar()->maximum(), 1);
    QCOMPARE(f.Net->SheetLeft, (f.Area->width() - 20 - 710) / 2);
}

void TCanvasTest::scrollBarMovesSheet()
{
    TCanvasFixture f;
    const QPoint before = f.P->CanvasCenter();
    Drv(f.Doc).DownScrollBar()->setValue(3);
    Drv(f.Doc).RightScrollBar()->setValue(2);
    QCOMPARE(f.Net->SheetLeft, -3);
    QCOMPARE(f.Net->SheetTop, -2);
    QCOMPARE(f.P->CanvasCenter(), before - QPoint(2, 1));
    // The screen shows the moved sheet once painted.
    f.Doc->Canvas().RepaintCanvas();
    QCOMPARE(f.Doc->Canvas().CanvasScreen().pixelColor(f.At(-1, 50)), QColor(Qt::black));
}

void TCanvasTest::emptyFramePaintsWorkspace()
{
    TCanvasFixture f;
    f.Doc->CloseDocument();
    QVERIFY(f.Doc->IsEmptyFrame());
    QVERIFY(Drv(f.Doc).DSBPanel()->isHidden());
    QVERIFY(Drv(f.Doc).RSBPanel()->isHidden());
    f.Doc->Canvas().RepaintCanvas();
    const QImage screen = f.Doc->Canvas().CanvasScreen();
    for (int y = 0; y < screen.height(); y += 7)
        for (int x = 0; x < screen.width(); x += 7)
            QCOMPARE(screen.pixelColor(x, y), AppWorkspaceColor());
    // Mouse events on the empty frame do nothing.
    f.Press(QPoint(50, 50));
    f.Move(QPoint(60, 60));
    f.Release(QPoint(60, 60));
    QVERIFY(!f.Doc->Canvas().Capturing());
    QCOMPARE(f.Doc->Canvas().CanvasHintText(QPoint(50, 50)), QString());
}

void TCanvasTest::sheetShadow()
{
    TCanvasFixture f;
    f.Doc->resize(1200, 800);
    QTRY_COMPARE(Drv(f.Doc).DownScrollBar()->maximum(), 1);
    f.Doc->Canvas().RepaintCanvas();
    const QImage screen = f.Doc->Canvas().CanvasScreen();
    const int x0 = f.Net->SheetLeft, y0 = f.Net->SheetTop;
    const int right = x0 + 710 - 5, bottom = y0 + 510 - 5;
    const QColor shadow = darken(AppWorkspaceColor(), 50);
    QCOMPARE(screen.pixelColor(right, y0 + 4 + 5), shadow);
    QCOMPARE(screen.pixelColor(right + 4, bottom + 4), shadow);
    QCOMPARE(screen.pixelColor(x0 + 4 + 5, bottom + 2), shadow);
    QCOMPARE(screen.pixelColor(right + 2, y0 + 4 + 4), AppWorkspaceColor());
    QCOMPARE(screen.pixelColor(right + 5, bottom), AppWorkspaceColor());
    QCOMPARE(screen.pixelColor(x0 + 4 + 4, bottom + 2), AppWorkspaceColor());
    QCOMPARE(screen.pixelColor(x0 + 50, y0 + 50), QColor(Qt::white));
}

void TCanvasTest::hintTexts()
{
    TCanvasFixture f;
    f.P->Name = u"P1"_s;
    f.P->Tokens = 2;
    f.T->Name = u"T1"_s;
    f.A->Name = u"A1"_s;
    f.A->Multiplicity = 3;
    TArc *back = TArc::CreateBetween(f.Net, f.T, f.Q);
    f.Net->Arcs.append(back);
    f.Q->Name = u"P2"_s;
    back->Name = u"A2"_s;
    QCOMPARE(f.Doc->Canvas().CanvasHintText(f.At(100, 100)),
             u"P1 (Позиция)\r\nЧисло фишек: 2\r\nВходных дуг: 0\r\nВыходных дуг: 1"_s);
    QCOMPARE(f.Doc->Canvas().CanvasHintText(f.At(100, 180)),
             u"P2 (Позиция)\r\nЧисло фишек: 0\r\nВходных дуг: 1\r\nВыходных дуг: 0"_s);
    QCOMPARE(f.Doc->Canvas().CanvasHintText(f.At(200, 100)), u"T1 (Переход)\r\nВходных дуг: 1\r\nВыходных дуг: 1"_s);
    QCOMPARE(f.Doc->Canvas().CanvasHintText(f.At(150, 100)), u"A1 (Дуга)\r\nКратность: 3\r\nP1 -> T1"_s);
    QCOMPARE(f.Doc->Canvas().CanvasHintText(back->Polyline().at(0) + (back->Polyline().at(1) - back->Polyline().at(0)) / 2),
             u"A2 (Дуга)\r\nКратность: 1\r\nT1 -> P2"_s);
    QCOMPARE(f.Doc->Canvas().CanvasHintText(f.At(300, 200)), QString());
    QCOMPARE(f.Doc->Canvas().CanvasHintInterval(), 100);

    // While modelling a transition also says whether it can fire.
    f.Doc->Execute(f.Doc->Commands().ActionModelingStart);
    QCOMPARE(f.Doc->Canvas().CanvasHintInterval(), 500);
    QCOMPARE(f.Doc->Canvas().CanvasHintText(f.At(200, 100)),
             u"T1 (Переход)\r\nВходных дуг: 1\r\nВыходных дуг: 1\r\nНе запускаемый"_s);
    f.P->Tokens = 3;
    QCOMPARE(f.Doc->Canvas().CanvasHintText(f.At(200, 100)),
             u"T1 (Переход)\r\nВходных дуг: 1\r\nВыходных дуг: 1\r\nГотов к запуску"_s);
    QVERIFY(!f.Doc->Canvas().CanvasHintText(f.At(100, 100)).contains(u"запуск"_s));
}

void TCanvasTest::hintSwitching()
{
    TCanvasFixture f;
    QVERIFY(f.Doc->Canvas().CanvasHints());
    for (int instrument = 1; instrument < 6; ++instrument) {
        f.Use(instrument);
        QVERIFY(!f.Doc->Canvas().CanvasHints());
    }
    f.Use(0);
    QVERIFY(f.Doc->Canvas().CanvasHints());
    f.Press(f.At(100, 100));
    f.Move(f.At(110, 100));
    QVERIFY(!f.Doc->Canvas().CanvasHints()); // off while dragging
    f.Release(f.At(110, 100));
    QVERIFY(f.Doc->Canvas().CanvasHints());
    f.Use(3);
    f.Doc->Execute(f.Doc->Commands().ActionModelingStart);
    QVERIFY(f.Doc->Canvas().CanvasHints()); // always on while modelling
}

void TCanvasTest::hintShownOnlyForActiveWindow()
{
    TCanvasFixture f;
    f.P->Name = u"P1"_s;
    f.Activate();
    const QPoint at = f.At(100, 100);
    QHelpEvent tip(QEvent::ToolTip, at, f.Area->mapToGlobal(at));
    QApplication::sendEvent(f.Area, &tip);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), u"P1 (Позиция)\nЧисло фишек: 0\nВходных дуг: 0\nВыходных дуг: 1"_s);
    QToolTip::hideText();

    // Another document is active: this canvas composes no hint.
    f.App.Shell->NewDocument();
    TDocForm *other = f.App.Shell->DocumentAt(1);
    QApplication::setActiveWindow(other);
    QVERIFY(QTest::qWaitForWindowActive(other));
    QTRY_VERIFY(!QToolTip::isVisible());
    QHelpEvent again(QEvent::ToolTip, at, f.Area->mapToGlobal(at));
    QApplication::sendEvent(f.Area, &again);
    QTest::qWait(50);
    QVERIFY(!QToolTip::isVisible());
}

void TCanvasTest::inspectorHoverScroll()
{
    TCanvasFixture f;
    f.Doc->FormActivate();
    QVERIFY(!f.Doc->FirstActivationPending());
    TGKPanel *content = Drv(f.Doc).InspectorScrollPanel();
    TGKPanel *clip = Drv(f.Doc).InspectorContent();
    QWidget *upStrip = Drv(f.Doc).InspectorUpButton()->parentWidget();
    QWidget *downStrip = Drv(f.Doc).InspectorDownButton()->parentWidget();
    content->resize(content->width(), 472);
    f.Doc->resize(f.Doc->width(), f.Doc->height() + 20); // the panel's resize checks the buttons
    QTRY_VERIFY(!downStrip->isHidden());
    QVERIFY(upStrip->isHidden());
    QCOMPARE(content->y(), 0);
    QVERIFY(clip->height() < 472);
    QCOMPARE(Drv(f.Doc).InspectorDownButton()->height(), 9);
    QCOMPARE(Drv(f.Doc).InspectorDownButton()->width(), Drv(f.Doc).NetInspector()->width() - 2);

    // Hovering starts the timer; holding the button speeds it up.
    QList<int> tops;
    connect(Drv(f.Doc).ScrollTimer(), &QTimer::timeout, content, [&] { tops << content->y(); });
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), Drv(f.Doc).InspectorDownButton()->mapToGlobal(QPointF(3, 3)));
    QApplication::sendEvent(Drv(f.Doc).InspectorDownButton(), &enter);
    QVERIFY(Drv(f.Doc).ScrollTimer()->isActive());
    QCOMPARE(Drv(f.Doc).ScrollTimer()->interval(), 50);
    QTest::mousePress(Drv(f.Doc).InspectorDownButton(), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(Drv(f.Doc).ScrollTimer()->interval(), 10);
    QTRY_VERIFY_WITH_TIMEOUT(!Drv(f.Doc).ScrollTimer()->isActive(), 10000);
    QTest::mouseRelease(Drv(f.Doc).InspectorDownButton(), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(Drv(f.Doc).ScrollTimer()->interval(), 50);
    // 5 pixels a tick until the last row shows; then the down button goes
    // and the clip area grows by its 10 pixels.
    QVERIFY(tops.size() > 10);
    for (int i = 1; i + 1 < tops.size(); ++i)
        QCOMPARE(tops[i] - tops[i - 1], -5);
    QVERIFY(!upStrip->isHidden());
    QTRY_VERIFY(downStrip->isHidden());
    QVERIFY(content->y() + content->height() <= clip->height());
    QVERIFY(content->y() + content->height() > clip->height() - 10);

    // Growing the panel now reveals content above.
    const int top = content->y();
    f.Doc->resize(f.Doc->width(), f.Doc->height() + 30);
    QTRY_COMPARE(content->y(), top + 30);

    // Back up to the top: the up button goes as well.
    Drv(f.Doc).ScrollTimer()->setInterval(10);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Drv(f.Doc).InspectorDownButton(), &leave);
    QEnterEvent enterUp(QPointF(3, 3), QPointF(3, 3), Drv(f.Doc).InspectorUpButton()->mapToGlobal(QPointF(3, 3)));
    QApplication::sendEvent(Drv(f.Doc).InspectorUpButton(), &enterUp);
    QTRY_VERIFY_WITH_TIMEOUT(!Drv(f.Doc).ScrollTimer()->isActive(), 10000);
    QCOMPARE(content->y(), 0);
    QTRY_VERIFY(upStrip->isHidden());
}

void TCanvasTest::drawNetWithMouse()
{
    // A small net drawn only with the mouse: two places, a transition, arcs
    // both ways, a bend point, tokens and a multiplicity.
    TCanvasFixture f;
    f.Doc->resize(900, 650);
    QTRY_VERIFY(f.Area->width() > 600);
    f.Net->SelectAll();
    f.Doc->Execute(f.Doc->Commands().ActionEditDelete);
    QCOMPARE(f.Net->ElementCount(), 0);
    f.Use(1);
    f.ClickAt(f.At(80, 120));
    f.ClickAt(f.At(360, 120));
    f.Use(2);
    f.ClickAt(f.At(220, 120));
    f.Use(3);
    f.Drag(f.At(80, 120), f.At(220, 120));
    f.Drag(f.At(220, 120), f.At(360, 120));
    f.Drag(f.At(360, 120), f.At(220, 120));
    QCOMPARE(f.Net->ArcCount(), 3);
    f.Use(4);
    f.ClickAt(f.At(80, 120));
    f.ClickAt(f.At(80, 120));
    f.Use(5);
    f.ClickAt(f.At(150, 120));
    f.Use(0);
    // Bend the last arc downwards through the popup, then drag the point.
    TArc *last = f.Net->Arcs.last();
    f.OnPopup = [&](QMenu *) { f.Doc->Execute(f.Doc->Commands().ActionEditArcAddPointC); };
    f.ClickAt(f.At(290, 120), Qt::RightButton);
    f.OnPopup = nullptr;
    QCOMPARE(last->PointCount(), 1);
    f.Drag(f.At(290, 120), f.At(290, 200));
    QCOMPARE(last->GetPoint(0), f.At(290, 200));
    f.ClickAt(f.At(500, 300)); // clear the selection
    QCOMPARE(f.Net->Places.first()->Tokens, 2);
    QCOMPARE(f.Net->Arcs.first()->Multiplicity, 2);

    // The screen shows the net: the sheet is white, the place rings are black.
    const QImage screen = f.Doc->Canvas().CanvasScreen();
    QCOMPARE(screen.pixelColor(f.At(80, 120) + QPoint(-12, 0)), QColor(Qt::black));
    QCOMPARE(screen.pixelColor(f.At(500, 300)), QColor(Qt::white));
    const QString shot = qEnvironmentVariable("CANVAS_SCREENSHOT");
    if (!shot.isEmpty()) {
        f.Doc->activateWindow();
        QTest::qWait(200);
        QVERIFY(f.Doc->grab().save(shot));
    }
}

QTEST_MAIN(TCanvasTest)
#include "tst_canvas.moc"
