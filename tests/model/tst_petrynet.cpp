#include "NetFixtures.h"

#include <QTest>

// The net container: access, hit order, placing, adding, selection with its
// notifications, selection rectangle and deletion.
class TPetryNetTest : public QObject
{
    Q_OBJECT

private slots:
    void newNet();
    void sheetGeometry();
    void combinedOrder();
    void overlapOrder();
    void canPlace_data();
    void canPlace();
    void addPlaceKeepsSelection();
    void selectionNotifications_data();
    void selectionNotifications();
    void selectAtEmptyClears();
    void rectSelection();
    void selectionRect();
    void selectedIndexOf();
    void deleteSelection();
    void notificationsOnlyWhenSet();
    void editsMarkUnsaved_data();
    void editsMarkUnsaved();
};

void TPetryNetTest::newNet()
{
    TPetryNet net;
    QCOMPARE(net.NetName, QStringLiteral("Сеть Петри"));
    QCOMPARE(net.ElementCount(), 0);
    QVERIFY(net.Saved);
    QVERIFY(!net.CanUndo());
    QCOMPARE(net.GetPlaceSize(), QPoint(24, 24));
    QCOMPARE(net.GetTransitionSize(), QPoint(10, 24));
    QCOMPARE(net.NextNumber(1), QStringLiteral("1"));
    net.FileName = QStringLiteral("/home/user/сети/Пример.сети.qvx");
    QCOMPARE(net.GetTitle(), QStringLiteral("Пример.сети"));
    net.FileName = QStringLiteral("СетьПетри3.qvx");
    QCOMPARE(net.GetTitle(), QStringLiteral("СетьПетри3"));
}

void TPetryNetTest::sheetGeometry()
{
    auto net = MakeNet();
    net->SheetLeft = 100;
    net->SheetTop = 50;
    QCOMPARE(net->OriginX(), 105);
    QCOMPARE(net->OriginY(), 55);
    QCOMPARE(net->MaxX(), 100 + 710 - 6);
    QCOMPARE(net->MaxY(), 50 + 510 - 6);
    QCOMPARE(net->GetSheetRect(), (TSides{104, 54, 805, 555}));
}

void TPetryNetTest::combinedOrder()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TTransfer *t = net->AddTransition(200, 100);
    TArc *a = Connect(*net, p, t);
    QCOMPARE(net->Element(0), t);
    QCOMPARE(net->Element(1), p);
    QCOMPARE(net->Element(2), a);
    QCOMPARE(net->Element(3), nullptr);
    QCOMPARE(net->Element(-1), nullptr);
    QCOMPARE(net->IndexOfElement(a), 0);
    QCOMPARE(net->Place(1), nullptr);
    QCOMPARE(net->Transition(-1), nullptr);
    QCOMPARE(net->Arc(1), nullptr);
    TPosition stranger(net.get());
    QCOMPARE(net->IndexOfElement(&stranger), -1);
    net->CancelSelection();
    a->SetSelected(true);
    p->SetSelected(true);
    QCOMPARE(net->SelectedCount(), 2);
    QCOMPARE(net->SelectedElement(0), p);
    QCOMPARE(net->SelectedElement(1), a);
    QCOMPARE(net->SelectedElement(2), nullptr);
}

void TPetryNetTest::overlapOrder()
{
    auto net = MakeNet();
    TTransfer *t1 = net->AddTransition(100, 100);
    TTransfer *t2 = net->AddTransition(102, 100);
    TPosition *p = net->AddPlace(300, 100);
    TTransfer *onPlace = net->AddTransition(300, 100);
    TArc *arc = Connect(*net, p, t2);
    QCOMPARE(net->ElementAt(101, 100), t2);
    QCOMPARE(net->ElementAt(300, 100), onPlace);
    QCOMPARE(net->ElementAt(200, 100), arc);
    QCOMPARE(net->NodeAt(200, 100), nullptr);
    QCOMPARE(net->ElementAt(500, 400), nullptr);
    net->SelectAll();
    QVERIFY(net->UnselectAt(101, 100));
    QVERIFY(!t1->Selected);
    QVERIFY(t2->Selected);
}

void TPetryNetTest::canPlace_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<bool>("fits");
    // Sheet rect (4, 4, 705, 505).
    QTest::newRow("place touching the left edge") << 1 << QPoint(4 + 12, 100) << true;
    QTest::newRow("place one pixel further") << 1 << QPoint(4 + 11, 100) << false;
    QTest::newRow("place touching the bottom") << 1 << QPoint(100, 505 - 12) << true;
    QTest::newRow("place past the bottom") << 1 << QPoint(100, 505 - 11) << false;
    QTest::newRow("transition at the right") << 2 << QPoint(705 - 5, 100) << true;
    QTest::newRow("transition past the right") << 2 << QPoint(705 - 4, 100) << false;
    QTest::newRow("other kinds always fit") << 3 << QPoint(-100, -100) << true;
}

void TPetryNetTest::canPlace()
{
    QFETCH(int, kind);
    QFETCH(QPoint, centre);
    QFETCH(bool, fits);
    auto net = MakeNet();
    QCOMPARE(net->CanPlace(centre.x(), centre.y(), quint8(kind)), fits);
}

void TPetryNetTest::addPlaceKeepsSelection()
{
    auto net = MakeNet();
    int changes = 0;
    net->OnChange = [&changes](TPetryNet *) { ++changes; };
    TPosition *first = net->AddPlace(100, 100);
    TPosition *second = net->AddPlace(200, 100);
    QVERIFY(first->Selected);
    QVERIFY(second->Selected);
    QCOMPARE(net->Places.last(), second);
    QCOMPARE(changes, 2);
    QVERIFY(!net->Saved);
    QCOMPARE(net->UndoStack.Count(), 2);
}

void TPetryNetTest::selectionNotifications_data()
{
    // Net: 2 places, 1 transition, 1 arc; counts of OnSelectionChange calls.
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("notifications");
    QTest::addColumn<int>("selected");
    QTest::newRow("SelectAll") << 0 << 4 + 1 << 4;
    QTest::newRow("ClearSelection") << 1 << 4 << 0;
    QTest::newRow("CancelSelection") << 2 << 4 + 1 << 0;
    QTest::newRow("SelectAt a place") << 3 << 4 + 1 + 1 + 1 << 1;
    QTest::newRow("AddSelectAt") << 4 << 1 + 1 << 1;
    QTest::newRow("UnselectAt") << 5 << 1 + 1 << 0;
    QTest::newRow("SelectInRect") << 6 << 4 + 2 + 1 + 1 << 2;
    QTest::newRow("AddSelectAt on nothing") << 7 << 0 << 0;
}

void TPetryNetTest::selectionNotifications()
{
    QFETCH(int, op);
    QFETCH(int, notifications);
    QFETCH(int, selected);
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    net->AddPlace(300, 300);
    TTransfer *t = net->AddTransition(200, 100);
    Connect(*net, p, t);
    net->ClearSelection();
    int count = 0;
    net->OnSelectionChange = [&count](TPetryNet *) { ++count; };
    switch (op) {
    case 0: net->SelectAll(); break;
    case 1: net->ClearSelection(); break;
    case 2: net->CancelSelection(); break;
    case 3: QVERIFY(net->SelectAt(100, 100)); break;
    case 4: QVERIFY(net->AddSelectAt(200, 100)); break;
    case 5: QVERIFY(net->UnselectAt(200, 100)); break;
    case 6: QVERIFY(net->SelectInRect({90, 90, 110, 110})); break; // the place and the arc
    case 7: QVERIFY(!net->AddSelectAt(600, 10)); break;
    }
    QCOMPARE(count, notifications);
    QCOMPARE(net->SelectedCount(), selected);
}

void TPetryNetTest::selectAtEmptyClears()
{
    auto net = MakeNet();
    net->AddPlace(100, 100);
    QVERIFY(!net->SelectAt(500, 400));
    QCOMPARE(net->SelectedCount(), 0);
}

void TPetryNetTest::rectSelection()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TPosition *q = net->AddPlace(300, 100);
    net->CancelSelection();
    // Corners given in any order.
    QVERIFY(net->AddSelectInRect({320, 120, 80, 80}));
    QVERIFY(p->Selected && q->Selected);
    QVERIFY(net->UnselectInRect({250, 50, 350, 150}));
    QVERIFY(p->Selected && !q->Selected);
    QVERIFY(!net->SelectInRect({400, 400, 450, 450}));
    QCOMPARE(net->SelectedCount(), 0);
}

void TPetryNetTest::selectionRect()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TTransfer *t = net->AddTransition(200, 150);
    TArc *arc = Connect(*net, p, t);
    arc->BendPoints = {QPoint(295, 395)}; // canvas (300, 400)
    net->CancelSelection();
    arc->Selected = true;
    QCOMPARE(net->GetSelectionRect(), (TSides{net->MaxX(), net->MaxY(), 0, 0}));
    p->Selected = true;
    QCOMPARE(net->GetSelectionRect(), (TSides{88, 88, 112, 112}));
    t->Selected = true;
    QCOMPARE(net->GetSelectionRect(), (TSides{88, 88, 303, 403}));
}

void TPetryNetTest::selectedIndexOf()
{
    auto net = MakeNet();
    TPosition *a = net->AddPlace(100, 100);
    TPosition *b = net->AddPlace(200, 100);
    TPosition *c = net->AddPlace(300, 100);
    net->CancelSelection();
    a->Selected = true;
    c->Selected = true;
    QCOMPARE(net->SelectedIndexOf(c), 1);
    QCOMPARE(net->SelectedIndexOf(a), 0);
    QCOMPARE(net->SelectedIndexOf(b), 0); // counted up to itself, unselected
    QCOMPARE(net->SelectedIndexOf(nullptr), -1);
}

void TPetryNetTest::deleteSelection()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TPosition *q = net->AddPlace(300, 100);
    TTransfer *t = net->AddTransition(200, 100);
    Connect(*net, p, t);
    TArc *kept = Connect(*net, t, q);
    net->CancelSelection();
    p->Selected = true;
    int changes = 0;
    net->OnChange = [&changes](TPetryNet *) { ++changes; };
    const int snapshots = net->UndoStack.Count();
    net->DeleteSelection();
    QCOMPARE(net->Places, QList<TPosition *>{q});
    QCOMPARE(net->Arcs, QList<TArc *>{kept});
    QCOMPARE(changes, 1);
    QCOMPARE(net->UndoStack.Count(), snapshots + 1);
    // Nothing selected: still a snapshot and a notification.
    net->DeleteSelection();
    QCOMPARE(net->ElementCount(), 3);
    QCOMPARE(changes, 2);
    QCOMPARE(net->UndoStack.Count(), snapshots + 2);
}

void TPetryNetTest::notificationsOnlyWhenSet()
{
    auto net = MakeNet();
    net->AddPlace(100, 100); // no callbacks bound: nothing to call, nothing breaks
    net->AddTransition(200, 100);
    Connect(*net, net->Place(0), net->Transition(0));
    net->StartModelling();
    QVERIFY(net->Modelling);
}

void TPetryNetTest::editsMarkUnsaved_data()
{
    QTest::addColumn<int>("op");
    QTest::newRow("delete") << 0;
    QTest::newRow("cut") << 1;
    QTest::newRow("paste") << 2;
    QTest::newRow("undo") << 3;
    QTest::newRow("tokens") << 4;
    QTest::newRow("multiplicity") << 5;
    QTest::newRow("bend point added") << 6;
    QTest::newRow("bend point deleted") << 7;
    QTest::newRow("direction") << 8;
    QTest::newRow("rename") << 9;
    QTest::newRow("description") << 10;
    QTest::newRow("net name") << 11;
    QTest::newRow("author") << 12;
    QTest::newRow("net description") << 13;
}

void TPetryNetTest::editsMarkUnsaved()
{
    QFETCH(int, op);
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TTransfer *t = net->AddTransition(200, 100);
    TArc *arc = Connect(*net, p, t);
    arc->BendPoints = {QPoint(150, 50)};
    net->CopySelection();
    net->Saved = true;
    switch (op) {
    case 0: net->DeleteSelection(); break;
    case 1: net->CutSelection(); break;
    case 2: net->PasteAt(400, 300); break;
    case 3: net->Undo(); break;
    case 4: p->SetTokens(3); break;
    case 5: arc->SetMultiplicity(2); break;
    case 6: arc->AddPoint(0, 0, true); break;
    case 7: arc->DeletePoint(0); break;
    case 8: arc->InvertDirection(); break;
    case 9: p->SetName(QStringLiteral("Склад")); break;
    case 10: p->SetDescription(QStringLiteral("текст")); break;
    case 11: net->SetNetName(QStringLiteral("Конвейер")); break;
    case 12: net->SetAuthor(QStringLiteral("Иванов")); break;
    case 13: net->SetDescription(QStringLiteral("описание")); break;
    }
    QVERIFY(!net->Saved);
}

QTEST_GUILESS_MAIN(TPetryNetTest)
#include "tst_petrynet.moc"
