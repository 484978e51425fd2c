#include "NetFixtures.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTest>

#include <climits>
#include <functional>

// Properties that must hold for every net, checked over many generated nets
// with fixed seeds: save and load, copy and paste, and undo after one edit.
class TPropertiesTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { NetClipboard.Clear(); }
    void saveLoadResavesIdentically();
    void copyPasteKeepsShapesWithNewNames_data();
    void copyPasteKeepsShapesWithNewNames();
    void undoRestoresSnapshot_data();
    void undoRestoresSnapshot();
    void deleteKeepsSurvivorsInOrder();
    void lookUpsFollowEdits_data() { undoRestoresSnapshot_data(); }
    void lookUpsFollowEdits();
    void arcHitTestsMatchRegions();
};

namespace {

constexpr quint32 SeedCount = 40;

// Texts as users type them: Cyrillic words, Latin, digits, line breaks, and
// now and then a character that Windows-1251 has no code for.
QString RandomText(QRandomGenerator &rng)
{
    static const QStringList words = {
        QStringLiteral("Буфер"), QStringLiteral("ёмкость"), QStringLiteral("Склад №3"), QStringLiteral("выход"),
        QStringLiteral("Ready"), QStringLiteral("42"), QStringLiteral("\r\n"), QStringLiteral("ЁЖЩЪ"),
        QStringLiteral("€"), QStringLiteral("漢"), QStringLiteral(" "),
    };
    QString text;
    for (int n = rng.bounded(5); n > 0; --n)
        text += words[rng.bounded(int(words.size()))];
    return text;
}

// A net with everything a document holds: texts on the net and on elements,
// tokens, weights, bend points, and a sheet larger than the editor's default.
std::unique_ptr<TPetryNet> RandomNet(quint32 seed)
{
    QRandomGenerator rng(seed * 7919);
    auto net = MakeNet();
    net->SheetWidth = 1500;
    net->SheetHeight = 1100;
    const int scale = seed % 4 == 0 ? 60 : 12; // every fourth net is larger
    FillRandomNet(*net, seed, rng.bounded(1, scale), rng.bounded(1, scale), rng.bounded(3 * scale));
    net->NetName = RandomText(rng);
    net->Author = RandomText(rng);
    net->Description = RandomText(rng);
    for (int i = 0; i < net->ElementCount(); ++i) {
        TNetElement *e = net->Element(i);
        if (rng.bounded(3) == 0)
            e->Name = RandomText(rng);
        if (rng.bounded(4) == 0) {
            e->HasDescription = true;
            e->Description = RandomText(rng);
        }
    }
    for (TArc *arc : net->Arcs)
        if (rng.bounded(3) == 0 && arc->CanInvertDirection())
            arc->InvertDirection();
    net->UndoStack.Snapshots.clear();
    return net;
}

// A random selection of nodes and arcs.
void SelectRandomly(TPetryNet &net, QRandomGenerator &rng)
{
    net.ClearSelection();
    for (int i = 0; i < net.ElementCount(); ++i)
        net.Element(i)->Selected = rng.bounded(2) == 0;
}

// What undo must give back: everything the snapshot holds.
QByteArray SnapshotBytes(const TPetryNet &net)
{
    TNetMemoryStream s;
    s.WriteString(net.NetName);
    s.WriteString(net.Description);
    for (qint32 v : {net.SheetWidth, net.SheetHeight, net.PlaceWidth, net.PlaceHeight, net.TransitionWidth,
                     net.TransitionHeight})
        s.WriteInteger(v);
    net.WriteElements(s);
    return s.Data();
}

// A group of nodes and arcs described without names and without where the
// group lies: node centres and bend points relative to the group's corner,
// arc ends by their position within the group.
QStringList Shape(const QList<TPosition *> &places, const QList<TTransfer *> &transitions, const QList<TArc *> &arcs)
{
    QPoint corner(INT_MAX, INT_MAX);
    for (const TStaticNetElement *n : places)
        corner = QPoint(std::min(corner.x(), n->CanvasX()), std::min(corner.y(), n->CanvasY()));
    for (const TStaticNetElement *n : transitions)
        corner = QPoint(std::min(corner.x(), n->CanvasX()), std::min(corner.y(), n->CanvasY()));
    QStringList shape;
    auto node = [&](const TStaticNetElement *n) {
        return QStringLiteral("%1(%2,%3)").arg(n->Kind).arg(n->CanvasX() - corner.x()).arg(n->CanvasY() - corner.y());
    };
    for (const TPosition *p : places)
        shape << node(p) + QStringLiteral(" tokens %1").arg(p->Tokens);
    for (const TTransfer *t : transitions)
        shape << node(t);
    auto end = [&](const TStaticNetElement *n) {
        return n->Kind == KindPlace ? QStringLiteral("P%1").arg(places.indexOf(n))
                                    : QStringLiteral("T%1").arg(transitions.indexOf(n));
    };
    for (const TArc *a : arcs) {
        QString text = QStringLiteral("%1->%2 x%3 %4").arg(end(a->StartNode), end(a->EndNode)).arg(a->Multiplicity).arg(a->TransitionToPlace);
        for (const QPoint &p : CanvasPoints(a))
            text += QStringLiteral(" (%1,%2)").arg(p.x() - corner.x()).arg(p.y() - corner.y());
        shape << text;
    }
    return shape;
}

template <class T>
QList<T *> SelectedOf(const QList<T *> &list)
{
    QList<T *> out;
    for (T *e : list)
        if (e->Selected)
            out.append(e);
    return out;
}

QList<TArc *> CopiedArcs(const TPetryNet &net)
{
    QList<TArc *> out;
    for (TArc *a : net.Arcs)
        if (a->Selected && a->BothEndsSelected())
            out.append(a);
    return out;
}

} // namespace

void TPropertiesTest::saveLoadResavesIdentically()
{
    for (quint32 seed = 1; seed <= SeedCount; ++seed) {
        auto net = RandomNet(seed);
        if (seed % 10 == 0) // beyond the 16-bit count: stored cut, and cut the same way again
            net->Description = QString(70000, QLatin1Char('x'));
        const QByteArray bytes = net->SaveToBytes();
        auto loaded = MakeNet();
        QVERIFY(loaded->LoadFromBytes(bytes));
        QCOMPARE(loaded->SaveToBytes(), bytes);
        QCOMPARE(loaded->ElementCount(), net->ElementCount());
        QCOMPARE(loaded->SelectedCount(), 0);
    }
}

void TPropertiesTest::copyPasteKeepsShapesWithNewNames_data()
{
    QTest::addColumn<bool>("intoOtherNet");
    QTest::newRow("same net, plain paste") << false;
    QTest::newRow("other net, paste at a point") << true;
}

void TPropertiesTest::copyPasteKeepsShapesWithNewNames()
{
    QFETCH(bool, intoOtherNet);
    for (quint32 seed = 1; seed <= SeedCount; ++seed) {
        auto net = RandomNet(seed);
        QRandomGenerator rng(seed);
        SelectRandomly(*net, rng);
        if (!net->HasSelectedNodes())
            net->Place(0)->Selected = true;
        const QList<TPosition *> places = SelectedOf(net->Places);
        const QList<TTransfer *> transitions = SelectedOf(net->Transitions);
        const QStringList copied = Shape(places, transitions, CopiedArcs(*net));
        net->CopySelection();

        std::unique_ptr<TPetryNet> other;
        TPetryNet *target = net.get();
        if (intoOtherNet) {
            other = MakeNet();
            other->SheetWidth = other->SheetHeight = 4000;
            other->AddPlace(50, 50);
            other->AddTransition(80, 50);
            target = other.get();
        }
        const int p0 = target->PlaceCount(), t0 = target->TransitionCount(), a0 = target->ArcCount();
        const qint32 counters[3] = {target->PlaceCounter, target->TransitionCounter, target->ArcCounter};
        if (intoOtherNet)
            target->PasteAt(1000 + rng.bounded(500), 1000 + rng.bounded(500));
        else
            target->Paste();

        const QList<TPosition *> newPlaces = target->Places.mid(p0);
        const QList<TTransfer *> newTransitions = target->Transitions.mid(t0);
        const QList<TArc *> newArcs = target->Arcs.mid(a0);
        QCOMPARE(Shape(newPlaces, newTransitions, newArcs), copied);
        QCOMPARE(target->SelectedCount(), int(newPlaces.size() + newTransitions.size() + newArcs.size()));
        // Fresh default names, places first, then transitions, then arcs.
        auto checkNames = [](const auto &list, quint8 kind, qint32 counter) {
            for (const TNetElement *e : list) {
                QCOMPARE(e->Name, KindWord(kind) + QString::number(++counter));
                QVERIFY(!e->HasDescription && e->Description.isEmpty());
            }
        };
        checkNames(newPlaces, KindPlace, counters[0]);
        checkNames(newTransitions, KindTransition, counters[1]);
        checkNames(newArcs, KindArc, counters[2]);
    }
}

// Each row prepares the net (making any element its edit needs) and returns
// the edit itself; the state before the edit is what undo must give back.
using TEdit = std::function<void()>;
using TPrepare = std::function<TEdit(TPetryNet &, QRandomGenerator &)>;
Q_DECLARE_METATYPE(TPrepare)

void TPropertiesTest::undoRestoresSnapshot_data()
{
    QTest::addColumn<TPrepare>("prepare");
    auto anyArc = [](TPetryNet &net, QRandomGenerator &rng) -> TArc * {
        if (net.ArcCount() == 0)
            Connect(net, net.Place(0), net.Transition(0));
        return net.Arc(rng.bounded(net.ArcCount()));
    };
    QTest::newRow("add place") << TPrepare([](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        const int x = 30 + rng.bounded(600), y = 30 + rng.bounded(400);
        return [&net, x, y] { net.AddPlace(x, y); };
    });
    QTest::newRow("add transition") << TPrepare([](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        const int x = 30 + rng.bounded(600), y = 30 + rng.bounded(400);
        return [&net, x, y] { net.AddTransition(x, y); };
    });
    // As the arc gesture does it: the arc is attached to its ends before the
    // snapshot is taken and joins the net's list after it.
    QTest::newRow("draw arc") << TPrepare([](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        TStaticNetElement *p = net.AddPlace(30 + rng.bounded(600), 30 + rng.bounded(400));
        TStaticNetElement *t = net.Transition(rng.bounded(net.TransitionCount()));
        const bool fromPlace = rng.bounded(2) == 0;
        return [&net, start = fromPlace ? p : t, end = fromPlace ? t : p] {
            TArc *arc = TArc::CreateBetween(&net, start, end);
            net.SaveUndo();
            net.Arcs.append(arc);
        };
    });
    QTest::newRow("delete selection") << TPrepare([](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        SelectRandomly(net, rng);
        net.Place(0)->Selected = true;
        return [&net] { net.DeleteSelection(); };
    });
    QTest::newRow("paste") << TPrepare([](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        SelectRandomly(net, rng);
        net.Place(0)->Selected = true;
        net.CopySelection();
        const int x = rng.bounded(700), y = rng.bounded(500);
        return [&net, x, y] { net.PasteAt(x, y); };
    });
    QTest::newRow("cut") << TPrepare([](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        SelectRandomly(net, rng);
        net.Transition(0)->Selected = true;
        return [&net] { net.CutSelection(); };
    });
    QTest::newRow("set tokens") << TPrepare([](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        TPosition *p = net.Place(rng.bounded(net.PlaceCount()));
        const qint32 n = p->Tokens + 1 + rng.bounded(100);
        return [p, n] { p->SetTokens(n); };
    });
    QTest::newRow("set multiplicity") << TPrepare([anyArc](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        TArc *a = anyArc(net, rng);
        const qint32 n = a->Multiplicity + 1 + rng.bounded(5);
        return [a, n] { a->SetMultiplicity(n); };
    });
    QTest::newRow("add bend point on the longest segment") << TPrepare([anyArc](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        TArc *a = anyArc(net, rng);
        return [a] { a->AddPoint(0, 0, true); };
    });
    QTest::newRow("add bend point at a point") << TPrepare([anyArc](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        TArc *a = anyArc(net, rng);
        const int x = rng.bounded(700), y = rng.bounded(500);
        return [a, x, y] { a->AddPoint(x, y, false); };
    });
    QTest::newRow("delete bend point") << TPrepare([anyArc](TPetryNet &net, QRandomGenerator &rng) -> TEdit {
        TArc *a = anyArc(net, rng);
        if (a->PointCount() == 0)
            a->BendPoints.append(QPoint(rng.bounded(700), rng.bounded(500)));
        const int i = rng.bounded(a->PointCount());
        return [a, i] { a->DeletePoint(i); };
    });
}

void TPropertiesTest::undoRestoresSnapshot()
{
    QFETCH(TPrepare, prepare);
    for (quint32 seed = 1; seed <= SeedCount; ++seed) {
        auto net = RandomNet(seed);
        QRandomGenerator rng(seed);
        const TEdit edit = prepare(*net, rng);
        const QByteArray before = SnapshotBytes(*net);
        const QString author = net->Author;
        const int snapshots = net->UndoStack.Count();
        edit();
        QVERIFY(net->UndoStack.Count() > snapshots || snapshots == net->UndoStack.UndoDepth);
        QVERIFY(SnapshotBytes(*net) != before);
        int changes = 0;
        net->OnChange = [&changes](TPetryNet *) { ++changes; };
        net->Undo();
        QCOMPARE(changes, 1);
        QCOMPARE(net->SelectedCount(), 0);
        QCOMPARE(net->Author, author);
        QVERIFY2(SnapshotBytes(*net) == before, qPrintable(QStringLiteral("seed %1").arg(seed)));
    }
}

// Deleting a selection keeps exactly the unselected nodes and the unselected
// arcs between them, in their order, and every node's arc list stays
// consistent with the net's.
void TPropertiesTest::deleteKeepsSurvivorsInOrder()
{
    for (quint32 seed = 1; seed <= SeedCount; ++seed) {
        auto net = RandomNet(seed);
        QRandomGenerator rng(seed);
        SelectRandomly(*net, rng);
        QList<TNetElement *> expected;
        for (int i = 0; i < net->ElementCount(); ++i) {
            TNetElement *e = net->Element(i);
            const auto *arc = e->Kind == KindArc ? static_cast<const TArc *>(e) : nullptr;
            if (!e->Selected && !(arc && (arc->StartNode->Selected || arc->EndNode->Selected)))
                expected.append(e);
        }
        int changes = 0;
        net->OnChange = [&changes](TPetryNet *) { ++changes; };
        net->DeleteSelection();
        QCOMPARE(changes, 1);
        QList<TNetElement *> survivors;
        for (int i = 0; i < net->ElementCount(); ++i)
            survivors.append(net->Element(i));
        QCOMPARE(survivors, expected);
        int attached = 0;
        for (const TPosition *p : net->Places)
            for (TArc *a : p->ArcList) {
                QVERIFY(net->Arcs.contains(a));
                ++attached;
            }
        QCOMPARE(attached, net->ArcCount());
        for (const TArc *a : net->Arcs)
            QVERIFY(a->StartNode->ArcList.contains(a) && a->EndNode->ArcList.contains(a));
    }
}

namespace {

// The element on top at a point, found by walking every list.
TNetElement *TopmostAt(const TPetryNet &net, int x, int y)
{
    for (qsizetype i = net.Transitions.size() - 1; i >= 0; --i)
        if (net.Transitions[i]->ContainsPoint(x, y))
            return net.Transitions[i];
    for (qsizetype i = net.Places.size() - 1; i >= 0; --i)
        if (net.Places[i]->ContainsPoint(x, y))
            return net.Places[i];
    for (qsizetype i = net.Arcs.size() - 1; i >= 0; --i)
        if (net.Arcs[i]->ContainsPoint(x, y))
            return net.Arcs[i];
    return nullptr;
}

// Hit tests, rectangle selection and drawing of a visible part, all answered
// through the spatial index, agree with walks over every element.
bool LookUpsAgree(TPetryNet &net, QRandomGenerator &rng)
{
    for (int k = 0; k < 60; ++k) {
        const int x = rng.bounded(net.SheetWidth), y = rng.bounded(net.SheetHeight);
        if (net.ElementAt(x, y) != TopmostAt(net, x, y))
            return false;
    }
    for (int k = 0; k < 3; ++k) {
        const TSides r{rng.bounded(net.SheetWidth), rng.bounded(net.SheetHeight), rng.bounded(net.SheetWidth),
                       rng.bounded(net.SheetHeight)};
        net.SelectInRect(r);
        for (int i = 0; i < net.ElementCount(); ++i)
            if (net.Element(i)->Selected != net.Element(i)->IntersectsRect(r.Left, r.Top, r.Right, r.Bottom))
                return false;
    }
    const QRect visible(rng.bounded(net.SheetWidth), rng.bounded(net.SheetHeight), 300, 200);
    auto paint = [&](bool onlyVisible) {
        QImage image(visible.size(), QImage::Format_RGB32);
        image.fill(Qt::gray);
        QPainter canvas(&image);
        canvas.translate(-visible.topLeft());
        onlyVisible ? net.Draw(canvas, false, visible) : net.Draw(canvas, false);
        return image;
    };
    return paint(false) == paint(true);
}

} // namespace

void TPropertiesTest::lookUpsFollowEdits()
{
    QFETCH(TPrepare, prepare);
    for (quint32 seed = 1; seed <= SeedCount; seed += 4) {
        auto net = RandomNet(seed);
        QRandomGenerator rng(seed);
        const TEdit edit = prepare(*net, rng);
        const QString where = QStringLiteral("seed %1").arg(seed);
        QVERIFY2(LookUpsAgree(*net, rng), qPrintable(where + QStringLiteral(", before")));
        edit();
        QVERIFY2(LookUpsAgree(*net, rng), qPrintable(where + QStringLiteral(", after the edit")));
        // Drag whatever the rectangle left selected by one step.
        QImage image(1, 1, QImage::Format_RGB32);
        QPainter canvas(&image);
        for (int i = 0; i < net->ElementCount(); ++i) {
            const auto *node = dynamic_cast<const TStaticNetElement *>(net->Element(i));
            if (node && node->Selected && net->BeginDrag(node->CanvasX(), node->CanvasY(), canvas)) {
                net->DragTo(node->CanvasX() + rng.bounded(-80, 80), node->CanvasY() + rng.bounded(-80, 80), canvas);
                net->EndDrag(canvas);
                break;
            }
        }
        QVERIFY2(LookUpsAgree(*net, rng), qPrintable(where + QStringLiteral(", after a drag")));
        net->Undo();
        QVERIFY2(LookUpsAgree(*net, rng), qPrintable(where + QStringLiteral(", after undo")));
        net->Redo();
        QVERIFY2(LookUpsAgree(*net, rng), qPrintable(where + QStringLiteral(", after redo")));
    }
}

// Arc hit tests as regions of each segment's band answered them before
// they were computed directly: 3 pixels either side of the segment across
// its run (across its rise when steeper than one radian) for clicks, 2 pixels
// (horizontally only for a vertical one) for rectangles.
void TPropertiesTest::arcHitTestsMatchRegions()
{
    auto band = [](QPoint p, QPoint q, bool click) {
        const int w = click ? 3 : 2;
        const bool across = click ? q.x() == p.x() || std::fabs(std::atan(double(q.y() - p.y()) / (q.x() - p.x()))) >= 1
                                  : q.x() == p.x();
        const QPoint d = across ? QPoint(w, 0) : QPoint(0, w);
        return QRegion(QPolygon({p - d, p + d, q + d, q - d}), Qt::WindingFill);
    };
    QRandomGenerator rng(11);
    for (int k = 0; k < 150; ++k) {
        auto net = MakeNet();
        const int span = k % 3 == 0 ? 12 : k % 3 == 1 ? 50 : 150;
        auto point = [&] { return QPoint(50 + rng.bounded(span), 50 + rng.bounded(span)); };
        TPosition *p = net->AddPlace(point().x(), point().y());
        TTransfer *t = net->AddTransition(k % 7 == 0 ? p->CanvasX() : point().x(), k % 5 == 0 ? p->CanvasY() : point().y());
        TArc *arc = Connect(*net, p, t, {point()});
        const QList<QPoint> line = arc->Polyline();
        QRegion clicks, rects;
        for (qsizetype i = 1; i < line.size(); ++i) {
            clicks += band(line[i - 1], line[i], true);
            rects += band(line[i - 1], line[i], false);
        }
        const QRect around = clicks.boundingRect().united(rects.boundingRect()).adjusted(-4, -4, 4, 4);
        for (int y = around.top(); y <= around.bottom(); ++y)
            for (int x = around.left(); x <= around.right(); ++x)
                QVERIFY2(arc->ContainsPoint(x, y) == clicks.contains(QPoint(x, y)),
                         qPrintable(QStringLiteral("arc %1 at %2,%3").arg(k).arg(x).arg(y)));
        for (int r = 0; r < 50; ++r) {
            const QPoint a = point(), b = a + QPoint(rng.bounded(-20, 20), rng.bounded(-20, 20));
            QVERIFY2(arc->IntersectsRect(a.x(), a.y(), b.x(), b.y()) == rects.intersects(SidesToRect(a.x(), a.y(), b.x(), b.y())),
                     qPrintable(QStringLiteral("arc %1, rectangle %2,%3 to %4,%5").arg(k).arg(a.x()).arg(a.y()).arg(b.x()).arg(b.y())));
        }
    }
}

QTEST_MAIN(TPropertiesTest) // drawing needs fonts
#include "tst_properties.moc"
