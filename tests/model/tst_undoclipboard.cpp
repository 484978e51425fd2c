#include "NetFixtures.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Whole-net undo snapshots: undo, redo, and cut as two steps.
class TUndoClipboardTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { NetClipboard.Clear(); }
    void undoDepth();
    void undoAddAndDelete();
    void undoKeepsAuthorAndFileName();
    void undoRestoresNameAndSizes();
    void undoAfterEveryEdit_data();
    void undoAfterEveryEdit();
    void cutTakesTwoSnapshots();
    void redo();
    void randomEditsUndoAndRedo_data();
    void randomEditsUndoAndRedo();
    void undoOfDeleteKeepsObjectsAndIndex_data();
    void undoOfDeleteKeepsObjectsAndIndex();
};

void TUndoClipboardTest::undoDepth()
{
    auto net = MakeNet();
    for (int i = 0; i < 12; ++i)
        net->AddPlace(20 + 40 * (i % 15), 50 + 40 * (i / 15));
    int undos = 0;
    while (net->CanUndo()) {
        net->Undo();
        ++undos;
    }
    QCOMPARE(undos, 10);
    QCOMPARE(net->PlaceCount(), 2);
    net->Undo(); // the 11th does nothing
    QCOMPARE(net->PlaceCount(), 2);
}

void TUndoClipboardTest::undoAddAndDelete()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TTransfer *t = net->AddTransition(200, 100);
    Connect(*net, p, t)->Name = QStringLiteral("Связь");
    Connect(*net, t, net->AddPlace(300, 100));
    net->AddPlace(400, 100);
    net->Undo();
    QCOMPARE(net->PlaceCount(), 2); // the last place is gone again

    net->CancelSelection();
    net->Place(0)->Selected = true;
    net->DeleteSelection();
    QCOMPARE(net->ArcCount(), 1);
    int changes = 0;
    net->OnChange = [&changes](TPetryNet *) { ++changes; };
    net->Undo();
    QCOMPARE(changes, 1);
    QCOMPARE(net->PlaceCount(), 2);
    QCOMPARE(net->ArcCount(), 2);
    QCOMPARE(net->Arc(0)->Name, QStringLiteral("Связь"));
    QCOMPARE(net->Arc(0)->StartNode, net->Place(0));
    QCOMPARE(net->Place(0)->ArcCount(), 1);
    QCOMPARE(net->SelectedCount(), 0);
}

void TUndoClipboardTest::undoKeepsAuthorAndFileName()
{
    auto net = MakeNet();
    net->AddPlace(100, 100);
    net->Author = QStringLiteral("Петров");
    net->FileName = QStringLiteral("/tmp/a.qvx");
    net->Undo();
    QCOMPARE(net->Author, QStringLiteral("Петров"));
    QCOMPARE(net->FileName, QStringLiteral("/tmp/a.qvx"));
}

void TUndoClipboardTest::undoRestoresNameAndSizes()
{
    auto net = MakeNet();
    net->SaveUndo();
    net->NetName = QStringLiteral("Другое имя");
    net->Description = QStringLiteral("другое");
    net->SheetWidth = 1000;
    net->Undo();
    QCOMPARE(net->NetName, QStringLiteral("Сеть Петри"));
    QCOMPARE(net->Description, QString());
    QCOMPARE(net->SheetWidth, 710);
}

void TUndoClipboardTest::undoAfterEveryEdit_data()
{
    QTest::addColumn<int>("op");
    QTest::newRow("add place") << 0;
    QTest::newRow("add transition") << 1;
    QTest::newRow("delete selection") << 2;
    QTest::newRow("paste") << 3;
    QTest::newRow("tokens") << 4;
    QTest::newRow("multiplicity") << 5;
    QTest::newRow("add bend point") << 6;
    QTest::newRow("delete bend point") << 7;
}

void TUndoClipboardTest::undoAfterEveryEdit()
{
    QFETCH(int, op);
    for (quint32 seed = 1; seed <= 10; ++seed) {
        auto net = MakeNet();
        FillRandomNet(*net, seed, 4, 3, 8);
        net->Place(1)->Selected = true;
        net->Arc(0)->BendPoints.append(QPoint(30, 30));
        net->CopySelection();
        const QByteArray before = ElementBytes(*net);
        switch (op) {
        case 0: net->AddPlace(300, 300); break;
        case 1: net->AddTransition(300, 300); break;
        case 2: net->DeleteSelection(); break;
        case 3: net->PasteAt(50, 50); break;
        case 4: net->Place(0)->SetTokens(net->Place(0)->Tokens + 1); break;
        case 5: net->Arc(0)->SetMultiplicity(9); break;
        case 6: net->Arc(0)->AddPoint(0, 0, true); break;
        case 7: net->Arc(0)->DeletePoint(0); break;
        }
        QVERIFY(ElementBytes(*net) != before);
        net->Undo();
        QCOMPARE(ElementBytes(*net), before);
    }
}

void TUndoClipboardTest::cutTakesTwoSnapshots()
{
    auto net = MakeNet();
    net->AddPlace(100, 100);
    net->AddTransition(200, 100);
    const QByteArray before = ElementBytes(*net);
    const int snapshots = net->UndoStack.Count();
    net->CutSelection();
    QCOMPARE(net->ElementCount(), 0);
    QCOMPARE(net->UndoStack.Count(), snapshots + 2);
    net->Undo();
    QCOMPARE(ElementBytes(*net), before);
    net->Undo();
    QCOMPARE(ElementBytes(*net), before);
    QVERIFY(net->CanPaste());
}

void TUndoClipboardTest::redo()
{
    auto net = MakeNet();
    FillRandomNet(*net, 7, 6, 4, 12);
    QList<QByteArray> states{net->SaveToBytes()};
    net->Place(0)->SetTokens(net->Place(0)->Tokens + 5);
    states.append(net->SaveToBytes());
    net->SelectAll();
    net->DeleteSelection();
    states.append(net->SaveToBytes());
    QVERIFY(!net->CanRedo());
    int changes = 0;
    net->OnChange = [&changes](TPetryNet *) { ++changes; };

    // Undo twice, redo twice, undo again: each step lands on the exact document.
    for (const int expected : {1, 0, 1, 2, 1}) {
        const bool back = expected < states.indexOf(net->SaveToBytes());
        net->Saved = true;
        back ? net->Undo() : net->Redo();
        QCOMPARE(net->SaveToBytes(), states[expected]);
        QVERIFY(!net->Saved);
    }
    QCOMPARE(changes, 5);
    QVERIFY(net->CanRedo());
    // A new change forgets what could be redone; Redo then does nothing.
    net->AddPlace(300, 300);
    QVERIFY(!net->CanRedo());
    const QByteArray now = net->SaveToBytes();
    net->Redo();
    QCOMPARE(net->SaveToBytes(), now);
}

void TUndoClipboardTest::randomEditsUndoAndRedo_data()
{
    QTest::addColumn<bool>("modelling");
    QTest::addColumn<int>("edits");
    QTest::newRow("edits within the depth") << false << 10;
    QTest::newRow("edits beyond the depth") << false << 14;
    QTest::newRow("firings and jumps") << true << 12;
}

void TUndoClipboardTest::randomEditsUndoAndRedo()
{
    // Every kind of edit, each preceded by its snapshot: undoing them one by
    // one gives back each earlier document byte for byte, redoing them each
    // later one, and the elements are still whole afterwards (a hit test,
    // one more edit and its undo).
    QFETCH(bool, modelling);
    QFETCH(int, edits);
    for (quint32 seed = 1; seed <= 30; ++seed) {
        auto net = MakeNet();
        FillRandomNet(*net, seed, 6, 5, 14);
        net->UndoStack.Snapshots.clear();
        QRandomGenerator rng(seed);
        if (modelling)
            net->StartModelling();
        QList<QByteArray> states{net->SaveToBytes()};
        for (int step = 0; step < edits; ++step) {
            net->Saved = true; // every snapshot clears it
            TPosition *place = net->Place(int(rng.bounded(net->PlaceCount())));
            TArc *arc = net->ArcCount() > 0 ? net->Arc(int(rng.bounded(net->ArcCount()))) : nullptr;
            const int op = modelling ? 8 + int(rng.bounded(2)) : int(rng.bounded(8));
            switch (op) {
            case 0: net->SaveUndo(); place->ShiftBy(int(rng.bounded(40)) - 20, int(rng.bounded(40)) - 20); break;
            case 1: place->SetTokens(place->Tokens + 1 + int(rng.bounded(5))); break;
            case 2:
                net->SaveUndo();
                place->SetName(u"Имя %1"_s.arg(step));
                place->SetHasDescription(!place->HasDescription);
                break;
            case 3: arc ? arc->AddPoint(0, 0, true) : void(net->AddPlace(300, 300)); break;
            case 4: net->AddTransition(20 + int(rng.bounded(600)), 20 + int(rng.bounded(400))); break;
            case 5: { // a place with its arcs, or an arc alone; never the last place
                net->CancelSelection();
                TNetElement *doomed = net->PlaceCount() > 1 && (!arc || rng.bounded(2)) ? place : static_cast<TNetElement *>(arc);
                if (doomed)
                    doomed->SetSelected(true);
                net->DeleteSelection();
                break;
            }
            case 6: arc ? arc->SetMultiplicity(arc->Multiplicity + 1) : place->SetTokens(place->Tokens + 1); break;
            case 7: { // whatever a band over a quarter of the sheet meets, but one place
                const int x = int(rng.bounded(350)), y = int(rng.bounded(250));
                net->SelectInRect({x, y, x + 355, y + 255});
                net->Place(0)->SetSelected(false);
                net->DeleteSelection();
                break;
            }
            case 8:
                for (TTransfer *t : net->Transitions)
                    if (t->IsEnabled()) {
                        t->Fire();
                        break;
                    }
                break;
            case 9: net->GoToState(net->RootState.get()); break;
            }
            if (!net->Saved)
                states.append(net->SaveToBytes());
        }
        const int kept = int(std::min<qsizetype>(net->UndoStack.Count(), states.size() - 1));
        QCOMPARE(net->UndoStack.Count(), kept);
        for (int k = 1; k <= kept; ++k) {
            net->Undo();
            QCOMPARE(net->SaveToBytes(), states[states.size() - 1 - k]);
        }
        QVERIFY(!net->CanUndo());
        for (int k = kept - 1; k >= 0; --k) {
            net->Redo();
            QCOMPARE(net->SaveToBytes(), states[states.size() - 1 - k]);
        }
        // Back halfway, a new change (which forgets what could be redone),
        // and back from it and to the start.
        const int half = kept / 2;
        for (int k = 1; k <= half; ++k)
            net->Undo();
        net->CancelSelection();
        net->Place(0)->SetSelected(true);
        net->DeleteSelection();
        QVERIFY(!net->CanRedo());
        for (int k = half; k <= kept && net->CanUndo(); ++k) {
            net->Undo();
            QCOMPARE(net->SaveToBytes(), states[states.size() - 1 - k]);
        }
        QCOMPARE(net->SelectedCount(), 0);
        const QPoint c = net->Place(0)->CanvasCenter();
        QCOMPARE(net->NodeAt(c.x(), c.y()) != nullptr, true);
        const QByteArray last = net->SaveToBytes();
        net->Place(0)->SetTokens(net->Place(0)->Tokens + 1);
        net->Undo();
        QCOMPARE(net->SaveToBytes(), last);
    }
}

void TUndoClipboardTest::undoOfDeleteKeepsObjectsAndIndex_data()
{
    // Steps: p deletes a place with its arcs, a an arc alone, b whatever a
    // band over a quarter of the sheet meets; u undoes, r redoes, n adds a
    // place over others after a hit test.
    QTest::addColumn<QString>("steps");
    QTest::newRow("place with its arcs") << u"pu"_s;
    QTest::newRow("arc alone") << u"au"_s;
    QTest::newRow("band of many") << u"bu"_s;
    QTest::newRow("three deep") << u"pabuuu"_s;
    QTest::newRow("redone and undone again") << u"bpuururu"_s;
    QTest::newRow("new delete after an undo") << u"bpuauu"_s;
    QTest::newRow("new places after undos") << u"pnbnuunu"_s;
}

void TUndoClipboardTest::undoOfDeleteKeepsObjectsAndIndex()
{
    // Undo and Redo of deletes bring back the very objects each state had;
    // the arcs of every node, the hit tests and a band's selection are those
    // of the same document freshly loaded.
    QFETCH(QString, steps);
    for (quint32 seed = 1; seed <= 8; ++seed) {
        auto net = MakeNet();
        FillRandomNet(*net, seed, 12, 10, 40);
        QHash<QByteArray, QList<const void *>> objects;
        auto note = [&] {
            QList<const void *> all;
            for (int i = 0; i < net->ElementCount(); ++i)
                all.append(net->Element(i));
            const auto it = objects.constFind(net->SaveToBytes());
            if (it == objects.cend())
                objects.insert(net->SaveToBytes(), all);
            else
                QCOMPARE(all, *it);
        };
        note();
        for (const QChar step : steps) {
            net->CancelSelection();
            if (step == u'p')
                net->Place(1)->SetSelected(true);
            else if (step == u'a')
                net->Arc(0)->SetSelected(true);
            else if (step == u'b')
                net->AddSelectInRect({200, 150, 555, 405});
            if (step == u'n') {
                const QPoint c = net->Place(0)->CanvasCenter();
                net->ElementAt(c.x(), c.y());
                net->AddPlace(c.x() + 3, c.y() + 3);
            } else {
                step == u'u' ? net->Undo() : step == u'r' ? net->Redo() : net->DeleteSelection();
            }
            note();
        }
        TPetryNet fresh;
        QVERIFY(fresh.LoadFromBytes(net->SaveToBytes()));
        auto arcsOf = [](const TPetryNet &n, const TStaticNetElement *node) {
            QList<int> list;
            for (const TArc *arc : node->ArcList)
                list.append(n.IndexOfElement(arc));
            return list;
        };
        for (int i = 0; i < net->PlaceCount() + net->TransitionCount(); ++i)
            QCOMPARE(arcsOf(*net, static_cast<TStaticNetElement *>(net->Element(i))),
                     arcsOf(fresh, static_cast<TStaticNetElement *>(fresh.Element(i))));
        auto where = [](const TPetryNet &n, const TNetElement *e) { return e ? e->Kind * 1000 + n.IndexOfElement(e) : -1; };
        for (int y = 0; y < 510; y += 7)
            for (int x = 0; x < 710; x += 11)
                QCOMPARE(where(*net, net->ElementAt(x, y)), where(fresh, fresh.ElementAt(x, y)));
        for (TPetryNet *n : {net.get(), &fresh})
            n->SelectInRect({100, 100, 400, 300});
        for (const quint8 kind : {KindPlace, KindTransition, KindArc})
            QCOMPARE(net->SelectedCountOf(kind), fresh.SelectedCountOf(kind));
        QCOMPARE(where(*net, net->FirstSelected()), where(fresh, fresh.FirstSelected()));
        QCOMPARE(where(*net, net->LastSelected()), where(fresh, fresh.LastSelected()));
    }
}

QTEST_GUILESS_MAIN(TUndoClipboardTest)
#include "tst_undoclipboard.moc"
