#include "NetFixtures.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <functional>

// The arc gesture and dragging, driven as the canvas drives them, with the
// canvas picture checked before and after.

namespace {

// A net on a 710 x 510 sheet at the canvas origin (net origin at (5, 5)) and
// the canvas it is drawn on.
class TScene
{
public:
    TScene()
        : Net(MakeNet()), Image(720, 520, QImage::Format_RGB32)
    {
        Net->OnChange = [this](TPetryNet *) { ++Changes; };
    }

    // Forgets the set-up's snapshots and changes, then paints the canvas.
    void Ready()
    {
        Net->UndoStack.Snapshots.clear();
        Net->Saved = true;
        Changes = 0;
        Image.fill(Qt::lightGray);
        Run([this](QPainter &c) { Net->Draw(c, false); });
    }

    void Run(const std::function<void(QPainter &)> &step)
    {
        QPainter canvas(&Image);
        step(canvas);
    }

    void Arc(QPoint from, QList<QPoint> path)
    {
        Run([&](QPainter &c) { Net->BeginArc(from.x(), from.y(), c); });
        for (const QPoint &p : path)
            Run([&](QPainter &c) { Net->TrackArc(p.x(), p.y(), c); });
        Run([&](QPainter &c) { Net->EndArc(c); });
    }

    bool BeginDrag(QPoint p)
    {
        bool started = false;
        Run([&](QPainter &c) { started = Net->BeginDrag(p.x(), p.y(), c); });
        return started;
    }
    void DragTo(QPoint p)
    {
        Run([&](QPainter &c) { Net->DragTo(p.x(), p.y(), c); });
    }
    void EndDrag()
    {
        Run([&](QPainter &c) { Net->EndDrag(c); });
    }

    bool AnyHighlighted() const
    {
        for (const TPosition *p : Net->Places)
            if (p->Highlighted)
                return true;
        for (const TTransfer *t : Net->Transitions)
            if (t->Highlighted)
                return true;
        return false;
    }

    std::unique_ptr<TPetryNet> Net;
    QImage Image;
    int Changes = 0;
};

} // namespace

class TGesturesTest : public QObject
{
    Q_OBJECT

private slots:
    void arcGesture_data();
    void arcGesture();
    void trackArcMovesTheHighlight();
    void duplicateArcsRefused();
    void dragStopsAtTheSheetBorder_data();
    void dragStopsAtTheSheetBorder();
    void dragCarriesBendPointsOfInnerArcs();
    void bendPointDragSelectsItsArcAlone();
    void oneSnapshotPerDrag_data();
    void oneSnapshotPerDrag();
    void nothingToDrag();
};

void TGesturesTest::arcGesture_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("made");
    QTest::addColumn<bool>("transitionToPlace");
    // Places at (100, 100) and (100, 300), transitions at (300, 100) and (300, 300).
    QTest::newRow("place to transition") << QPoint(100, 100) << QPoint(301, 95) << true << false;
    QTest::newRow("transition to place") << QPoint(300, 100) << QPoint(105, 98) << true << true;
    QTest::newRow("place to place") << QPoint(100, 100) << QPoint(100, 300) << false << false;
    QTest::newRow("transition to transition") << QPoint(300, 100) << QPoint(300, 300) << false << false;
    QTest::newRow("to empty canvas") << QPoint(100, 100) << QPoint(500, 400) << false << false;
    QTest::newRow("back to the source") << QPoint(100, 100) << QPoint(102, 102) << false << false;
}

void TGesturesTest::arcGesture()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, made);
    QFETCH(bool, transitionToPlace);
    TScene scene;
    TPetryNet &net = *scene.Net;
    net.AddPlace(100, 100);
    net.AddPlace(100, 300);
    net.AddTransition(300, 100);
    net.AddTransition(300, 300);
    net.ClearSelection();
    scene.Ready();
    const QImage before = scene.Image;

    // Over a transition on the way, then to the release point.
    scene.Arc(from, {{200, 200}, {300, 300}, to});

    QVERIFY(!net.GetArcSource());
    QVERIFY(!net.GetArcTarget());
    QVERIFY(!scene.AnyHighlighted());
    // Band and highlights are gone from the canvas.
    QCOMPARE(scene.Image, before);
    QCOMPARE(net.ArcCount(), made ? 1 : 0);
    QCOMPARE(scene.Changes, made ? 1 : 0);
    QCOMPARE(net.UndoStack.Count(), made ? 1 : 0);
    QCOMPARE(net.Saved, !made);
    if (!made)
        return;
    const TArc *arc = net.Arc(0);
    QCOMPARE(arc->StartNode, net.NodeAt(from.x(), from.y()));
    QCOMPARE(arc->EndNode, net.NodeAt(to.x(), to.y()));
    QCOMPARE(arc->TransitionToPlace, transitionToPlace);
    QCOMPARE(arc->Multiplicity, 1);
    QCOMPARE(arc->Name, QStringLiteral("Дуга1"));
    QVERIFY(arc->Selected);
    // The snapshot was taken before the arc joined the net.
    net.Undo();
    QCOMPARE(net.ArcCount(), 0);
}

void TGesturesTest::trackArcMovesTheHighlight()
{
    TScene scene;
    TPetryNet &net = *scene.Net;
    TPosition *p1 = net.AddPlace(100, 100);
    TPosition *p2 = net.AddPlace(100, 300);
    TTransfer *t1 = net.AddTransition(300, 100);
    TTransfer *t2 = net.AddTransition(300, 300);
    net.ClearSelection();
    scene.Ready();
    const QRgb blue = qRgb(0, 0, 255);
    const QRgb lime = qRgb(0, 255, 0);

    scene.Run([&](QPainter &c) { net.BeginArc(100, 100, c); });
    QCOMPARE(net.GetArcSource(), p1);
    QVERIFY(p1->Highlighted);
    QCOMPARE(scene.Image.pixel(95, 105), lime);

    scene.Run([&](QPainter &c) { net.TrackArc(302, 104, c); });
    QCOMPARE(net.GetArcTarget(), t1);
    QVERIFY(t1->Highlighted);
    QCOMPARE(net.GetRubberLine().X2, 300);
    QCOMPARE(net.GetRubberLine().Y2, 100);
    QCOMPARE(scene.Image.pixel(298, 108), lime);

    scene.Run([&](QPainter &c) { net.TrackArc(300, 300, c); });
    QCOMPARE(net.GetArcTarget(), t2);
    QVERIFY(!t1->Highlighted);
    QVERIFY(t2->Highlighted);
    QCOMPARE(scene.Image.pixel(298, 108), blue);

    // A node of the source's kind is no target; the band follows the mouse.
    scene.Run([&](QPainter &c) { net.TrackArc(103, 297, c); });
    QVERIFY(!net.GetArcTarget());
    QVERIFY(!t2->Highlighted);
    QVERIFY(!p2->Highlighted);
    QCOMPARE(net.GetRubberLine().X2, 103);
    QCOMPARE(net.GetRubberLine().Y2, 297);
    QCOMPARE(scene.Image.pixel(298, 308), blue);

    scene.Run([&](QPainter &c) { net.EndArc(c); });
    QCOMPARE(net.ArcCount(), 0);
    QVERIFY(!scene.AnyHighlighted());
}

void TGesturesTest::duplicateArcsRefused()
{
    TScene scene;
    TPetryNet &net = *scene.Net;
    net.AddPlace(100, 100);
    net.AddTransition(300, 100);
    net.ClearSelection();
    scene.Ready();
    const QPoint place(100, 100), transition(300, 100);

    scene.Arc(place, {transition});
    QCOMPARE(net.ArcCount(), 1);
    scene.Arc(place, {transition});
    QCOMPARE(net.ArcCount(), 1);
    QCOMPARE(net.UndoStack.Count(), 1);
    QCOMPARE(scene.Changes, 1);

    // The opposite direction is another arc, but only one of it.
    scene.Arc(transition, {place});
    QCOMPARE(net.ArcCount(), 2);
    QVERIFY(net.Arc(1)->TransitionToPlace);
    scene.Arc(transition, {place});
    QCOMPARE(net.ArcCount(), 2);

    // Direction counts, not the way an arc was drawn: the second arc inverted
    // now duplicates the first, and redrawing the first direction is refused
    // while the transition-to-place direction is free again.
    delete net.Arc(0);
    net.Arc(0)->InvertDirection();
    scene.Arc(place, {transition});
    QCOMPARE(net.ArcCount(), 1);
    scene.Arc(transition, {place});
    QCOMPARE(net.ArcCount(), 2);
}

void TGesturesTest::dragStopsAtTheSheetBorder_data()
{
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<QPoint>("expected");
    // Origin (5, 5); bounds reach MaxX 704 and MaxY 504; places are 24 by 24.
    QTest::newRow("at the left border") << QPoint(17, 200) << QPoint(-30, 0) << QPoint(17, 200);
    QTest::newRow("near the left border") << QPoint(22, 200) << QPoint(-30, 4) << QPoint(17, 204);
    QTest::newRow("at the top border") << QPoint(200, 17) << QPoint(-6, -10) << QPoint(194, 17);
    QTest::newRow("near the right border") << QPoint(680, 200) << QPoint(50, 0) << QPoint(692, 200);
    QTest::newRow("near the bottom border") << QPoint(200, 480) << QPoint(0, 50) << QPoint(200, 492);
    QTest::newRow("free") << QPoint(200, 200) << QPoint(30, -20) << QPoint(230, 180);
}

void TGesturesTest::dragStopsAtTheSheetBorder()
{
    QFETCH(QPoint, centre);
    QFETCH(QPoint, move);
    QFETCH(QPoint, expected);
    TScene scene;
    TPosition *place = scene.Net->AddPlace(centre.x(), centre.y());
    scene.Ready();

    QVERIFY(scene.BeginDrag(centre));
    scene.DragTo(centre + move);
    QCOMPARE(place->CanvasCenter(), expected);
    scene.EndDrag();
    QCOMPARE(place->CanvasCenter(), expected);
}

void TGesturesTest::dragCarriesBendPointsOfInnerArcs()
{
    TScene scene;
    TPetryNet &net = *scene.Net;
    TPosition *p1 = net.AddPlace(100, 100);
    TTransfer *t1 = net.AddTransition(300, 100);
    TPosition *p2 = net.AddPlace(100, 300);
    TArc *inner = Connect(net, p1, t1, {{200, 50}, {250, 40}});
    TArc *outer = Connect(net, t1, p2, {{300, 300}});
    net.ClearSelection();
    p1->SetSelected(true);
    t1->SetSelected(true);
    scene.Ready();
    const QImage before = scene.Image;

    QVERIFY(scene.BeginDrag({101, 99}));
    scene.DragTo({111, 104});
    scene.DragTo({121, 109});
    scene.EndDrag();
    QCOMPARE(p1->CanvasCenter(), QPoint(120, 110));
    QCOMPARE(t1->CanvasCenter(), QPoint(320, 110));
    QCOMPARE(p2->CanvasCenter(), QPoint(100, 300));
    QCOMPARE(CanvasPoints(inner), (QList<QPoint>{{220, 60}, {270, 50}}));
    QCOMPARE(CanvasPoints(outer), (QList<QPoint>{{300, 300}}));
    // Every step's feedback was erased again; the window repaints the net.
    QCOMPARE(scene.Image, before);
    QVERIFY(!net.Saved);
}

void TGesturesTest::bendPointDragSelectsItsArcAlone()
{
    TScene scene;
    TPetryNet &net = *scene.Net;
    TPosition *p1 = net.AddPlace(100, 100);
    TTransfer *t1 = net.AddTransition(300, 100);
    TArc *arc = Connect(net, p1, t1, {{200, 50}, {250, 40}});
    TPosition *other = net.AddPlace(100, 300);
    net.ClearSelection();
    p1->SetSelected(true);
    other->SetSelected(true);
    scene.Ready();

    QVERIFY(scene.BeginDrag({197, 52})); // inside the first handle (197..202, 47..52)
    QVERIFY(net.IsDraggingBendPoint());
    QCOMPARE(net.GetDragArcIndex(), 0);
    QCOMPARE(net.GetDragBendIndex(), 0);
    QCOMPARE(net.SelectedCount(), 1);
    QVERIFY(arc->Selected);
    scene.DragTo({207, 72});
    scene.DragTo({217, 62});
    scene.EndDrag();
    QVERIFY(!net.IsDragging());
    QVERIFY(!net.IsDraggingBendPoint());
    QCOMPARE(CanvasPoints(arc), (QList<QPoint>{{220, 60}, {250, 40}}));
    QCOMPARE(p1->CanvasCenter(), QPoint(100, 100));
    QCOMPARE(t1->CanvasCenter(), QPoint(300, 100));
    QCOMPARE(net.UndoStack.Count(), 1);
    QVERIFY(!net.Saved);
}

void TGesturesTest::oneSnapshotPerDrag_data()
{
    QTest::addColumn<QPoint>("start");
    QTest::newRow("node") << QPoint(100, 100);
    QTest::newRow("bend point") << QPoint(200, 50);
}

void TGesturesTest::oneSnapshotPerDrag()
{
    QFETCH(QPoint, start);
    TScene scene;
    TPetryNet &net = *scene.Net;
    TPosition *p1 = net.AddPlace(100, 100);
    TTransfer *t1 = net.AddTransition(300, 100);
    TArc *arc = Connect(net, p1, t1, {{200, 50}});
    net.ClearSelection();
    net.ElementAt(start.x(), start.y())->SetSelected(true);
    scene.Ready();
    const QImage before = scene.Image;
    const QByteArray document = net.SaveToBytes();

    QVERIFY(scene.BeginDrag(start));
    QCOMPARE(net.UndoStack.Count(), 1);
    scene.DragTo(start + QPoint(40, 30));
    scene.DragTo(start + QPoint(-20, 10));
    scene.DragTo(start);
    scene.EndDrag();
    QCOMPARE(net.UndoStack.Count(), 1);
    QVERIFY(!net.Saved);
    QCOMPARE(p1->CanvasCenter(), QPoint(100, 100));
    QCOMPARE(CanvasPoints(arc), (QList<QPoint>{{200, 50}}));
    QCOMPARE(net.SaveToBytes(), document);
    QCOMPARE(scene.Image, before);
}

void TGesturesTest::nothingToDrag()
{
    TScene scene;
    TPetryNet &net = *scene.Net;
    TPosition *place = net.AddPlace(100, 100);
    scene.Ready();
    const QImage before = scene.Image;

    QVERIFY(!scene.BeginDrag({400, 400}));
    QVERIFY(!net.IsDragging());
    scene.DragTo({450, 450});
    scene.EndDrag();
    QCOMPARE(net.UndoStack.Count(), 0);
    QVERIFY(net.Saved);
    QVERIFY(place->Selected);
    QCOMPARE(place->CanvasCenter(), QPoint(100, 100));
    QCOMPARE(scene.Image, before);
}

QTEST_MAIN(TGesturesTest)
#include "tst_gestures.moc"
