#include "NetFixtures.h"

#include <QTest>

// Places, transitions and arcs on their own: records, names, ownership,
// geometry, hit tests, bend points and the firing rule.
class TElementsTest : public QObject
{
    Q_OBJECT

private slots:
    void placeRecordBytes();
    void recordsReadBack();
    void defaultNames();
    void assignDefaultNameDropsDescription();
    void nodeGeometry();
    void ownershipThroughEveryList_data();
    void ownershipThroughEveryList();
    void incomingAndOutgoing();
    void canInvertDirection();
    void setTokensSnapshots();
    void enabling_data();
    void enabling();
    void fireMovesTokens();
    void fireNeverWraps_data();
    void fireNeverWraps();
    void nodeHitTests_data();
    void nodeHitTests();
    void shiftByClamps();
    void addPointAtLongest();
    void addPointAtClick();
    void deletePoint();
    void pointIndexAt_data();
    void pointIndexAt();
    void arcContainsPoint_data();
    void arcContainsPoint();
    void arcIntersectsRect_data();
    void arcIntersectsRect();
    void arcShiftByStaysInside();
    void arcBounds();
};

void TElementsTest::placeRecordBytes()
{
    auto net = MakeNet();
    TPosition p(net.get());
    p.Name = QStringLiteral("Позиция1");
    p.X = 40;
    p.Y = 60;
    p.Tokens = 2;
    TNetMemoryStream s;
    p.SaveToStream(s);
    QCOMPARE(s.Data().toHex(' '),
             QByteArray::fromHex("0800CFEEE7E8F6E8FF31 00000000 0000 01 280000003C000000 02000000").toHex(' '));
}

void TElementsTest::recordsReadBack()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TTransfer *t = net->AddTransition(200, 100);
    TArc *a = Connect(*net, t, p, 3);
    a->BendPoints = {QPoint(150, 40), QPoint(160, 200)};
    a->SetHasDescription(true);
    a->Description = QStringLiteral("вес три");
    p->Tokens = 7;

    TNetMemoryStream s;
    net->WriteElements(s);
    auto copy = MakeNet();
    s.SetPosition(0);
    QVERIFY(copy->ReadElements(s));
    QCOMPARE(copy->PlaceCount(), 1);
    QCOMPARE(copy->TransitionCount(), 1);
    QCOMPARE(copy->ArcCount(), 1);
    TArc *b = copy->Arc(0);
    QCOMPARE(b->StartNode, copy->Transition(0));
    QCOMPARE(b->EndNode, copy->Place(0));
    QVERIFY(b->TransitionToPlace);
    QCOMPARE(b->Multiplicity, 3);
    QCOMPARE(b->BendPoints, a->BendPoints);
    QVERIFY(b->HasDescription);
    QCOMPARE(b->Description, QStringLiteral("вес три"));
    QCOMPARE(copy->Place(0)->Tokens, 7);
    QCOMPARE(copy->Place(0)->Name, QStringLiteral("Позиция1"));
    QCOMPARE(copy->Place(0)->ArcList, QList<TArc *>{b});
    QCOMPARE(copy->Transition(0)->ArcList, QList<TArc *>{b});
    QVERIFY(!copy->Place(0)->Selected);
}

void TElementsTest::defaultNames()
{
    auto net = MakeNet();
    QCOMPARE(net->AddPlace(50, 50)->Name, QStringLiteral("Позиция1"));
    QCOMPARE(net->AddPlace(90, 50)->Name, QStringLiteral("Позиция2"));
    QCOMPARE(net->AddTransition(50, 90)->Name, QStringLiteral("Переход1"));
    TArc *arc = Connect(*net, net->Place(0), net->Transition(0));
    QCOMPARE(arc->Name, QStringLiteral("Дуга1"));
    // Numbers never go back, even when elements are deleted.
    net->SelectAll();
    net->DeleteSelection();
    QCOMPARE(net->AddPlace(50, 50)->Name, QStringLiteral("Позиция3"));
    QCOMPARE(net->NextNumber(9), QString());
}

void TElementsTest::assignDefaultNameDropsDescription()
{
    auto net = MakeNet();
    TTransfer t(net.get());
    t.SetHasDescription(true);
    t.Description = QStringLiteral("текст");
    t.AssignDefaultName();
    QVERIFY(!t.HasDescription);
    QVERIFY(t.Description.isEmpty());
    QCOMPARE(t.Name, QStringLiteral("Переход1"));
}

void TElementsTest::nodeGeometry()
{
    auto net = MakeNet();
    net->SheetLeft = 30;
    net->SheetTop = 20;
    TPosition *p = net->AddPlace(100, 100);
    TTransfer *t = net->AddTransition(100, 100);
    QCOMPARE(p->X, 100 - 35);
    QCOMPARE(p->Y, 100 - 25);
    QCOMPARE(p->NodeRect(), QRect(QPoint(88, 88), QPoint(111, 111)));
    QCOMPARE(t->NodeRect(), QRect(QPoint(95, 88), QPoint(104, 111)));
    QCOMPARE(QList<int>({t->GetLeft(), t->GetTop(), t->GetRight(), t->GetBottom()}), QList<int>({95, 88, 105, 112}));
    net->SheetLeft = 40; // scrolling moves the canvas picture, not the net
    QCOMPARE(p->CanvasX(), 110);
}

void TElementsTest::ownershipThroughEveryList_data()
{
    QTest::addColumn<int>("via");
    QTest::newRow("place destroyed directly") << 0;
    QTest::newRow("arc destroyed directly") << 1;
    QTest::newRow("place deleted as selection") << 2;
    QTest::newRow("whole net") << 3;
}

void TElementsTest::ownershipThroughEveryList()
{
    QFETCH(int, via);
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TPosition *q = net->AddPlace(300, 100);
    TTransfer *t1 = net->AddTransition(200, 50);
    TTransfer *t2 = net->AddTransition(200, 150);
    TTransfer *t3 = net->AddTransition(200, 250);
    Connect(*net, p, t1);
    TArc *a2 = Connect(*net, t2, p);
    Connect(*net, p, t3);
    TArc *other = Connect(*net, q, t1);
    net->CancelSelection();
    switch (via) {
    case 0:
        delete p;
        QCOMPARE(net->Places, QList<TPosition *>{q});
        QCOMPARE(net->Arcs, QList<TArc *>{other});
        QCOMPARE(t1->ArcList, QList<TArc *>{other});
        QVERIFY(t2->ArcList.isEmpty());
        QVERIFY(t3->ArcList.isEmpty());
        break;
    case 1:
        delete a2;
        QCOMPARE(net->ArcCount(), 3);
        QCOMPARE(p->ArcCount(), 2);
        QVERIFY(t2->ArcList.isEmpty());
        break;
    case 2:
        p->Selected = true;
        net->DeleteSelection();
        QCOMPARE(net->PlaceCount(), 1);
        QCOMPARE(net->Arcs, QList<TArc *>{other});
        QCOMPARE(t1->ArcCount(), 1);
        break;
    case 3:
        net.reset(); // nothing is destroyed twice (checked by sanitizers and valgrind)
        break;
    }
}

void TElementsTest::incomingAndOutgoing()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TTransfer *t = net->AddTransition(200, 100);
    TArc *arc = Connect(*net, p, t);
    arc->BendPoints = {QPoint(1, 2)};
    QVERIFY(!arc->TransitionToPlace);
    QCOMPARE(t->IncomingCount(), 1);
    QCOMPARE(p->OutgoingCount(), 1);
    QCOMPARE(t->IncomingArc(0), arc);
    QCOMPARE(t->IncomingArc(1), nullptr);
    QCOMPARE(t->OutgoingArc(0), nullptr);
    QCOMPARE(t->IncomingArc(-1), nullptr);
    arc->InvertDirection();
    QCOMPARE(t->IncomingCount(), 0);
    QCOMPARE(t->OutgoingCount(), 1);
    QCOMPARE(p->IncomingCount(), 1);
    QCOMPARE(arc->StartNode, p);
    QCOMPARE(arc->EndNode, t);
    QCOMPARE(arc->BendPoints, QList<QPoint>{QPoint(1, 2)});
    QVERIFY(!net->Saved);
    QCOMPARE(p->ArcAt(5), nullptr);
}

void TElementsTest::canInvertDirection()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TTransfer *t = net->AddTransition(200, 100);
    TArc *in = Connect(*net, p, t);
    QVERIFY(in->CanInvertDirection());
    TArc *out = Connect(*net, t, p);
    QVERIFY(!in->CanInvertDirection());
    QVERIFY(!out->CanInvertDirection());
}

void TElementsTest::setTokensSnapshots()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    const int before = net->UndoStack.Count();
    p->SetTokens(0);
    QCOMPARE(net->UndoStack.Count(), before);
    p->SetTokens(4);
    QCOMPARE(net->UndoStack.Count(), before + 1);
    net->Undo();
    QCOMPARE(net->Place(0)->Tokens, 0); // the snapshot was taken before the change
}

void TElementsTest::enabling_data()
{
    QTest::addColumn<int>("tokens");
    QTest::addColumn<int>("multiplicity");
    QTest::addColumn<bool>("withInput");
    QTest::addColumn<bool>("withOutput");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("no arcs") << 5 << 1 << false << false << false;
    QTest::newRow("outgoing only") << 5 << 1 << false << true << false;
    QTest::newRow("exactly enough") << 2 << 2 << true << false << true;
    QTest::newRow("one short") << 1 << 2 << true << false << false;
    QTest::newRow("weight 3 at 2") << 2 << 3 << true << true << false;
    QTest::newRow("weight 3 at 3") << 3 << 3 << true << true << true;
}

void TElementsTest::enabling()
{
    QFETCH(int, tokens);
    QFETCH(int, multiplicity);
    QFETCH(bool, withInput);
    QFETCH(bool, withOutput);
    QFETCH(bool, enabled);
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TPosition *q = net->AddPlace(300, 100);
    TTransfer *t = net->AddTransition(200, 100);
    p->Tokens = tokens;
    if (withInput)
        Connect(*net, p, t, multiplicity);
    if (withOutput)
        Connect(*net, t, q);
    QCOMPARE(t->IsEnabled(), enabled);
    net->StartModelling();
    t->Fire();
    QCOMPARE(p->Tokens, enabled ? tokens - multiplicity : tokens);
    QCOMPARE(net->CurrentState != net->RootState.get(), enabled);
}

void TElementsTest::fireMovesTokens()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TPosition *q = net->AddPlace(300, 100);
    TTransfer *t = net->AddTransition(200, 100);
    p->Tokens = 5;
    TArc *in = Connect(*net, p, t, 2);
    Connect(*net, t, q, 3);
    QVERIFY(in->IsSatisfied());
    net->StartModelling();
    const int snapshots = net->UndoStack.Count();
    t->Fire();
    QCOMPARE(p->Tokens, 3);
    QCOMPARE(q->Tokens, 3);
    QCOMPARE(net->UndoStack.Count(), snapshots + 1); // one for the whole firing

    // MoveTokens alone never takes more than the place holds.
    p->Tokens = 1;
    in->MoveTokens();
    QCOMPARE(p->Tokens, 1);
}

void TElementsTest::fireNeverWraps_data()
{
    QTest::addColumn<qint32>("outputTokens");
    QTest::addColumn<qint32>("weight");
    QTest::addColumn<bool>("enabled");
    const qint32 max = std::numeric_limits<qint32>::max();
    QTest::newRow("room for it") << max - 5 << 5 << true;
    QTest::newRow("one past the largest") << max - 4 << 5 << false;
    QTest::newRow("at the largest") << max << 1 << false;
}

void TElementsTest::fireNeverWraps()
{
    QFETCH(qint32, outputTokens);
    QFETCH(qint32, weight);
    QFETCH(bool, enabled);
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TPosition *q = net->AddPlace(300, 100);
    TTransfer *t = net->AddTransition(200, 100);
    p->Tokens = 1;
    q->Tokens = outputTokens;
    Connect(*net, p, t);
    Connect(*net, t, q, weight);
    QCOMPARE(t->IsEnabled(), enabled);
    net->StartModelling();
    t->Fire();
    QCOMPARE(q->Tokens, enabled ? outputTokens + weight : outputTokens);
    QVERIFY(q->Tokens > 0);
}

void TElementsTest::nodeHitTests_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("hit");
    // Place centred at (100, 100): circle of 24; transition at (200, 100): 10 x 24.
    QTest::newRow("place centre") << 1 << QPoint(100, 100) << true;
    QTest::newRow("place corner of its box") << 1 << QPoint(89, 89) << false;
    QTest::newRow("place left edge") << 1 << QPoint(88, 100) << true;
    QTest::newRow("place far right") << 1 << QPoint(113, 100) << false;
    QTest::newRow("transition left-top inside") << 2 << QPoint(195, 88) << true;
    QTest::newRow("transition right edge outside") << 2 << QPoint(205, 100) << false;
    QTest::newRow("transition bottom edge outside") << 2 << QPoint(200, 112) << false;
}

void TElementsTest::nodeHitTests()
{
    QFETCH(int, kind);
    QFETCH(QPoint, point);
    QFETCH(bool, hit);
    auto net = MakeNet();
    TStaticNetElement *node = kind == 1 ? static_cast<TStaticNetElement *>(net->AddPlace(100, 100))
                                        : net->AddTransition(200, 100);
    QCOMPARE(node->ContainsPoint(point.x(), point.y()), hit);
    // A click point acts as a 1-pixel rectangle.
    QCOMPARE(node->IntersectsRect(point.x(), point.y(), point.x(), point.y()), hit);
}

void TElementsTest::shiftByClamps()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    p->ShiftBy(-500, 1000);
    // Sheet rect (4, 4, 705, 505): a place stays half its size plus one inside.
    QCOMPARE(p->CanvasCenter(), QPoint(4 + 12 + 1, 505 - 12 - 1));
    net->SheetWidth = 10; // narrower than a node: the right limit wins
    p->ShiftBy(0, 0);
    QCOMPARE(p->CanvasX(), 5 - 12 - 1);
}

void TElementsTest::addPointAtLongest()
{
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(101, 100), net->AddTransition(200, 151));
    const int snapshots = net->UndoStack.Count();
    arc->AddPoint(0, 0, true);
    QCOMPARE(CanvasPoints(arc), QList<QPoint>{QPoint(150, 125)});
    QCOMPARE(net->UndoStack.Count(), snapshots + 1);

    // Two equal longest segments: the earlier one gets the point.
    auto net2 = MakeNet();
    TArc *b = Connect(*net2, net2->AddPlace(100, 100), net2->AddTransition(300, 100));
    b->BendPoints = {QPoint(195, 95)};
    b->AddPoint(0, 0, true);
    QCOMPARE(CanvasPoints(b), (QList<QPoint>{QPoint(150, 100), QPoint(200, 100)}));
}

void TElementsTest::addPointAtClick()
{
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(300, 100));
    arc->AddPoint(200, 102, false);
    QCOMPARE(CanvasPoints(arc), QList<QPoint>{QPoint(200, 102)});
    arc->AddPoint(150, 101, false);
    QCOMPARE(CanvasPoints(arc), (QList<QPoint>{QPoint(150, 101), QPoint(200, 102)}));

    // Strongly bent: no detour is shorter than the straight distance, so the
    // point goes last, whichever segment was clicked.
    auto net2 = MakeNet();
    TArc *b = Connect(*net2, net2->AddPlace(100, 100), net2->AddTransition(120, 100));
    b->BendPoints = {QPoint(105, 395)};
    b->AddPoint(105, 250, false);
    QCOMPARE(CanvasPoints(b), (QList<QPoint>{QPoint(110, 400), QPoint(105, 250)}));
}

void TElementsTest::deletePoint()
{
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(300, 100));
    arc->BendPoints = {QPoint(1, 1), QPoint(2, 2)};
    const int snapshots = net->UndoStack.Count();
    arc->DeletePoint(-1);
    arc->DeletePoint(2);
    QCOMPARE(net->UndoStack.Count(), snapshots);
    arc->DeletePoint(0);
    QCOMPARE(arc->BendPoints, QList<QPoint>{QPoint(2, 2)});
    QCOMPARE(net->UndoStack.Count(), snapshots + 1);
}

void TElementsTest::pointIndexAt_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("index");
    QTest::newRow("on the point") << QPoint(150, 60) << 0;
    QTest::newRow("top-left corner of the handle") << QPoint(147, 57) << 0;
    QTest::newRow("right edge misses") << QPoint(153, 60) << -1;
    QTest::newRow("bottom edge misses") << QPoint(150, 63) << -1;
    QTest::newRow("second point") << QPoint(251, 61) << 1;
}

void TElementsTest::pointIndexAt()
{
    QFETCH(QPoint, point);
    QFETCH(int, index);
    auto net = MakeNet();
    net->SheetLeft = 10; // handles are in canvas coordinates
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(300, 100));
    arc->BendPoints = {QPoint(135, 55), QPoint(235, 55)};
    QCOMPARE(arc->PointIndexAt(point.x(), point.y()), index);
}

void TElementsTest::arcContainsPoint_data()
{
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("hit");
    // Arcs from a place at (100, 100).
    QTest::newRow("horizontal, 2 above") << QPoint(300, 100) << QPoint(200, 98) << true;
    QTest::newRow("horizontal, 4 above") << QPoint(300, 100) << QPoint(200, 96) << false;
    QTest::newRow("60 degrees, 2 left") << QPoint(200, 273) << QPoint(148, 187) << true;
    QTest::newRow("60 degrees, 4 left") << QPoint(200, 273) << QPoint(146, 187) << false;
    QTest::newRow("vertical, 2 right") << QPoint(100, 300) << QPoint(102, 200) << true;
    QTest::newRow("beyond the end") << QPoint(300, 100) << QPoint(320, 100) << false;
}

void TElementsTest::arcContainsPoint()
{
    QFETCH(QPoint, to);
    QFETCH(QPoint, point);
    QFETCH(bool, hit);
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(to.x(), to.y()));
    QCOMPARE(arc->ContainsPoint(point.x(), point.y()), hit);
}

void TElementsTest::arcIntersectsRect_data()
{
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("hit");
    QTest::newRow("horizontal crossed") << QPoint(300, 100) << QRect(QPoint(150, 90), QPoint(160, 110)) << true;
    QTest::newRow("horizontal missed") << QPoint(300, 100) << QRect(QPoint(150, 104), QPoint(160, 110)) << false;
    QTest::newRow("vertical crossed") << QPoint(100, 300) << QRect(QPoint(90, 200), QPoint(110, 210)) << true;
    QTest::newRow("vertical click") << QPoint(100, 300) << QRect(QPoint(101, 200), QPoint(101, 200)) << true;
    QTest::newRow("slanted crossed") << QPoint(300, 300) << QRect(QPoint(195, 195), QPoint(205, 205)) << true;
    QTest::newRow("slanted missed") << QPoint(300, 300) << QRect(QPoint(220, 150), QPoint(240, 170)) << false;
    QTest::newRow("horizontal click") << QPoint(300, 100) << QRect(QPoint(200, 100), QPoint(200, 100)) << true;
    QTest::newRow("corners swapped") << QPoint(300, 100) << QRect(QPoint(160, 110), QPoint(150, 90)) << true;
}

void TElementsTest::arcIntersectsRect()
{
    QFETCH(QPoint, to);
    QFETCH(QRect, rect);
    QFETCH(bool, hit);
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(to.x(), to.y()));
    // QRect(QPoint, QPoint) keeps the two corners as given in topLeft and bottomRight.
    QCOMPARE(arc->IntersectsRect(rect.left(), rect.top(), rect.right(), rect.bottom()), hit);
}

void TElementsTest::arcShiftByStaysInside()
{
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(300, 100));
    arc->BendPoints = {QPoint(600, 400), QPoint(20, 20)};
    arc->ShiftBy(200, -100);
    // MaxX 704, MaxY 504, origin 5: points stop 3 pixels inside.
    QCOMPARE(arc->GetPoint(0), QPoint(701, 305));
    QCOMPARE(arc->GetPoint(1), QPoint(225, 8));
}

void TElementsTest::arcBounds()
{
    auto net = MakeNet();
    TArc *arc = Connect(*net, net->AddPlace(100, 100), net->AddTransition(300, 150));
    arc->BendPoints = {QPoint(45, 295)};
    QCOMPARE(QList<int>({arc->GetLeft(), arc->GetTop(), arc->GetRight(), arc->GetBottom()}),
             QList<int>({47, 97, 303, 303}));
}

QTEST_GUILESS_MAIN(TElementsTest)
#include "tst_elements.moc"
