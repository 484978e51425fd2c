#include "NetFixtures.h"

#include <QTest>

// The process-wide net clipboard: what is copied, and where and how it is pasted.
class TClipboardTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { NetClipboard.Clear(); }
    void copyNeedsNodes();
    void copiesOnlyArcsWithBothEnds_data();
    void copiesOnlyArcsWithBothEnds();
    void pasteBetweenNets();
    void pasteAtPoint();
    void plainPasteNeverHidesOriginal();
    void pasteKeepsShapeAndRenames();
    void pasteEmptyClipboard();
    void damagedClipboardPastesNothing();
};

void TClipboardTest::copyNeedsNodes()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TArc *arc = Connect(*net, p, net->AddTransition(200, 100));
    net->CopySelection();
    const QByteArray kept = NetClipboard.Data->Data();
    net->CancelSelection();
    arc->Selected = true;
    net->CopySelection();
    QCOMPARE(NetClipboard.Data->Data(), kept);
    const int snapshots = net->UndoStack.Count();
    net->CutSelection();
    QCOMPARE(net->UndoStack.Count(), snapshots);
    QCOMPARE(net->ArcCount(), 1);
}

void TClipboardTest::copiesOnlyArcsWithBothEnds_data()
{
    QTest::addColumn<bool>("arcSelected");
    QTest::addColumn<bool>("transitionSelected");
    QTest::addColumn<int>("arcsCopied");
    QTest::newRow("arc and both ends") << true << true << 1;
    QTest::newRow("arc with one end") << true << false << 0;
    QTest::newRow("both ends, arc not selected") << false << true << 0;
}

void TClipboardTest::copiesOnlyArcsWithBothEnds()
{
    QFETCH(bool, arcSelected);
    QFETCH(bool, transitionSelected);
    QFETCH(int, arcsCopied);
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TPosition *q = net->AddPlace(100, 200);
    TTransfer *t = net->AddTransition(200, 100);
    TArc *arc = Connect(*net, q, t);
    net->CancelSelection();
    p->Selected = q->Selected = true;
    t->Selected = transitionSelected;
    arc->Selected = arcSelected;
    net->CopySelection();
    auto target = MakeNet();
    target->PasteAt(300, 300);
    QCOMPARE(target->PlaceCount(), 2);
    QCOMPARE(target->TransitionCount(), transitionSelected ? 1 : 0);
    QCOMPARE(target->ArcCount(), arcsCopied);
    if (arcsCopied) {
        QCOMPARE(target->Arc(0)->StartNode, target->Place(1));
        QCOMPARE(target->Arc(0)->EndNode, target->Transition(0));
    }
}

void TClipboardTest::pasteBetweenNets()
{
    auto source = MakeNet();
    TPosition *p = source->AddPlace(100, 100);
    p->Tokens = 4;
    p->SetHasDescription(true);
    p->Description = QStringLiteral("склад");
    TTransfer *t = source->AddTransition(200, 100);
    TArc *arc = Connect(*source, t, p, 3);
    arc->BendPoints = {QPoint(145, 45)};
    arc->Selected = true;
    source->CopySelection();
    source.reset(); // the clipboard outlives its source

    auto target = MakeNet();
    target->AddPlace(500, 400);
    target->Paste();
    target->Paste();
    QCOMPARE(target->PlaceCount(), 3);
    QCOMPARE(target->ArcCount(), 2);
    QCOMPARE(target->Place(1)->Name, QStringLiteral("Позиция2"));
    QCOMPARE(target->Place(2)->Name, QStringLiteral("Позиция3"));
    QCOMPARE(target->Transition(1)->Name, QStringLiteral("Переход2"));
    QCOMPARE(target->Arc(1)->Name, QStringLiteral("Дуга2"));
    QCOMPARE(target->Place(1)->Tokens, 4);
    QVERIFY(!target->Place(1)->HasDescription);
    QVERIFY(target->Place(1)->Description.isEmpty());
    QCOMPARE(target->Arc(1)->Multiplicity, 3);
    QVERIFY(target->Arc(1)->TransitionToPlace);
    // Only the second group is selected.
    QCOMPARE(target->SelectedCount(), 3);
    QVERIFY(target->Place(2)->Selected && !target->Place(1)->Selected && !target->Place(0)->Selected);
}

void TClipboardTest::pasteAtPoint()
{
    auto net = MakeNet();
    net->SheetLeft = 20; // origin (25, 5)
    TPosition *p = net->AddPlace(100, 100);
    TTransfer *t = net->AddTransition(200, 150);
    net->CopySelection();
    net->PasteAt(300, 250);
    TPosition *pasted = net->Place(1);
    TTransfer *pastedT = net->Transition(1);
    // Group top-left (88, 88) lands on (300, 250); relative positions kept.
    QCOMPARE(pasted->NodeRect().topLeft(), QPoint(300, 250));
    QCOMPARE(pastedT->CanvasCenter() - pasted->CanvasCenter(), t->CanvasCenter() - p->CanvasCenter());
    QCOMPARE(net->GetSelectionRect().Left, 300);
    QCOMPARE(net->GetSelectionRect().Top, 250);

    // A point near the sheet's corner: nodes are clamped inside it.
    net->PasteAt(700, 500);
    for (const TPosition *place : net->Places)
        QVERIFY(net->CanPlace(place->CanvasX(), place->CanvasY(), KindPlace));
}

void TClipboardTest::plainPasteNeverHidesOriginal()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    net->CopySelection();
    net->Paste();
    TPosition *copy = net->Place(1);
    QVERIFY(copy->CanvasX() > p->CanvasX());
    QVERIFY(copy->CanvasY() > p->CanvasY());
    QCOMPARE(net->ElementAt(p->CanvasX() - 8, p->CanvasY() - 8), p);
}

void TClipboardTest::pasteKeepsShapeAndRenames()
{
    for (quint32 seed = 1; seed <= 10; ++seed) {
        auto net = MakeNet();
        net->SheetWidth = 3000;
        net->SheetHeight = 3000;
        FillRandomNet(*net, seed, 5, 4, 10);
        net->SelectAll();
        net->CopySelection();
        auto target = MakeNet();
        target->SheetWidth = 3000;
        target->SheetHeight = 3000;
        target->PasteAt(1000, 1000);
        QCOMPARE(target->PlaceCount(), net->PlaceCount());
        QCOMPARE(target->ArcCount(), net->ArcCount());
        const QPoint shift = target->Place(0)->CanvasCenter() - net->Place(0)->CanvasCenter();
        for (int i = 0; i < net->PlaceCount(); ++i) {
            QCOMPARE(target->Place(i)->CanvasCenter() - shift, net->Place(i)->CanvasCenter());
            QCOMPARE(target->Place(i)->Name, QStringLiteral("Позиция%1").arg(i + 1));
        }
        for (int i = 0; i < net->ArcCount(); ++i) {
            const TArc *a = net->Arc(i), *b = target->Arc(i);
            QCOMPARE(target->IndexOfElement(b->StartNode), net->IndexOfElement(a->StartNode));
            QCOMPARE(b->StartNode->Kind, a->StartNode->Kind);
            QCOMPARE(b->Multiplicity, a->Multiplicity);
            QCOMPARE(b->TransitionToPlace, a->TransitionToPlace);
            for (int k = 0; k < a->PointCount(); ++k)
                QCOMPARE(b->GetPoint(k) - shift, a->GetPoint(k));
        }
    }
}

void TClipboardTest::pasteEmptyClipboard()
{
    auto net = MakeNet();
    QVERIFY(!net->CanPaste());
    net->Paste();
    QVERIFY(!net->CanUndo());
    QVERIFY(net->Saved);
}

void TClipboardTest::damagedClipboardPastesNothing()
{
    auto net = MakeNet();
    net->AddPlace(100, 100);
    net->AddTransition(200, 100);
    net->CopySelection();
    QByteArray bytes = NetClipboard.Data->Data();
    bytes.chop(3);
    NetClipboard.SetData(std::make_unique<TNetMemoryStream>(bytes));
    const int snapshots = net->UndoStack.Count();
    net->Paste();
    QCOMPARE(net->ElementCount(), 2);
    QCOMPARE(net->UndoStack.Count(), snapshots);
}

QTEST_GUILESS_MAIN(TClipboardTest)
#include "tst_clipboard.moc"
