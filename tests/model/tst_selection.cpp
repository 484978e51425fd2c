#include "NetFixtures.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The net's account of its selection (counts, first and last element, n-th
// element, selection rectangle) against a walk over every element, through
// random sequences of the operations that change the selection or the
// elements.
class TSelectionTest : public QObject
{
    Q_OBJECT

private slots:
    void accountMatchesWalk_data();
    void accountMatchesWalk();
};

namespace {

// What a walk over the lists says about the selection.
void CheckAgainstWalk(const TPetryNet &net, const QString &step)
{
    const QByteArray where = step.toUtf8();
    QList<TNetElement *> selected; // in the order of TPetryNet::Element
    for (int i = 0; i < net.ElementCount(); ++i)
        if (net.Element(i)->Selected)
            selected.append(net.Element(i));
    int of[4] = {};
    for (const TNetElement *e : selected)
        ++of[e->Kind];
    QVERIFY2(net.SelectedCount() == selected.size(), where);
    for (quint8 kind : {KindPlace, KindTransition, KindArc})
        QVERIFY2(net.SelectedCountOf(kind) == of[kind], where);
    QVERIFY2(net.HasSelectedNodes() == (of[KindPlace] + of[KindTransition] > 0), where);
    for (int i = 0; i <= selected.size(); ++i)
        QVERIFY2(net.SelectedElement(i) == selected.value(i), where);

    auto firstOf = [](const auto &list) -> TNetElement * {
        for (TNetElement *e : list)
            if (e->Selected)
                return e;
        return nullptr;
    };
    auto lastOf = [](const auto &list) -> TNetElement * {
        for (auto i = list.size(); i-- > 0;)
            if (list[i]->Selected)
                return list[i];
        return nullptr;
    };
    TNetElement *first = firstOf(net.Places);
    first = first ? first : firstOf(net.Transitions);
    first = first ? first : firstOf(net.Arcs);
    TNetElement *last = lastOf(net.Arcs);
    last = last ? last : lastOf(net.Transitions);
    last = last ? last : lastOf(net.Places);
    QVERIFY2(net.FirstSelected() == first, where);
    QVERIFY2(net.LastSelected() == last, where);

    TSides rect{net.MaxX(), net.MaxY(), 0, 0};
    for (const TNetElement *e : selected)
        if (e->Kind != KindArc || static_cast<const TArc *>(e)->BothEndsSelected()) {
            rect.Left = std::min(rect.Left, e->GetLeft());
            rect.Top = std::min(rect.Top, e->GetTop());
            rect.Right = std::max(rect.Right, e->GetRight());
            rect.Bottom = std::max(rect.Bottom, e->GetBottom());
        }
    QVERIFY2(net.GetSelectionRect() == rect, where);

    // Selected ones of its kind up to and including the element, less one.
    auto indexOf = [](const auto &list, const TNetElement *element) {
        int count = 0;
        for (const TNetElement *e : list) {
            count += e->Selected;
            if (e == element)
                return count - 1;
        }
        return -1;
    };
    for (int i = 0; i < net.ElementCount(); i += 7) {
        const TNetElement *e = net.Element(i);
        const int expected = e->Kind == KindPlace ? indexOf(net.Places, e)
                             : e->Kind == KindTransition ? indexOf(net.Transitions, e)
                                                         : indexOf(net.Arcs, e);
        QVERIFY2(net.SelectedIndexOf(e) == expected, where);
    }
}

} // namespace

void TSelectionTest::accountMatchesWalk_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("places");
    QTest::addColumn<int>("transitions");
    QTest::addColumn<int>("arcs");
    QTest::addColumn<int>("steps");
    // Small nets reach the dense walks, large ones the sparse look-ups and
    // the tidying of the list after many elements were unselected.
    QTest::newRow("small") << 1u << 8 << 5 << 12 << 400;
    QTest::newRow("small, other seed") << 2u << 8 << 5 << 12 << 400;
    QTest::newRow("large") << 3u << 260 << 120 << 300 << 120;
    QTest::newRow("large, other seed") << 4u << 260 << 120 << 300 << 120;
}

void TSelectionTest::accountMatchesWalk()
{
    QFETCH(quint32, seed);
    QFETCH(int, places);
    QFETCH(int, transitions);
    QFETCH(int, arcs);
    QFETCH(int, steps);
    auto net = MakeNet();
    FillRandomNet(*net, seed, places, transitions, arcs);
    QRandomGenerator rng(seed);
    auto point = [&] { return QPoint(rng.bounded(700), rng.bounded(500)); };
    auto band = [&](int size) {
        const QPoint p = point();
        return TSides{p.x(), p.y(), p.x() + rng.bounded(size), p.y() + rng.bounded(size)};
    };
    auto anyElement = [&]() -> TNetElement * {
        return net->ElementCount() ? net->Element(rng.bounded(net->ElementCount())) : nullptr;
    };
    const QStringList names{u"select at"_s,    u"add select at"_s,   u"unselect at"_s, u"select in rect"_s,
                            u"add in rect"_s,  u"unselect in rect"_s, u"select all"_s,   u"cancel"_s,
                            u"set selected"_s, u"direct write"_s,    u"delete"_s,      u"undo"_s,
                            u"copy, paste"_s,  u"load"_s,            u"add node"_s};
    for (int step = 0; step < steps; ++step) {
        const int op = rng.bounded(int(names.size()));
        const QPoint p = point();
        switch (op) {
        case 0: net->SelectAt(p.x(), p.y()); break;
        case 1: net->AddSelectAt(p.x(), p.y()); break;
        case 2: net->UnselectAt(p.x(), p.y()); break;
        case 3: net->SelectInRect(band(120)); break;
        case 4: net->AddSelectInRect(band(60)); break;
        case 5: net->UnselectInRect(band(400)); break;
        case 6: net->SelectAll(); break;
        case 7: net->CancelSelection(); break;
        case 8:
            for (int k = rng.bounded(4); k >= 0; --k)
                if (TNetElement *e = anyElement())
                    e->SetSelected(rng.bounded(2) == 0);
            break;
        case 9:
            if (TNetElement *e = anyElement())
                e->Selected = !e->Selected;
            break;
        case 10:
            if (rng.bounded(4) == 0)
                net->DeleteSelection();
            break;
        case 11:
            if (net->CanUndo())
                net->Undo();
            break;
        case 12:
            net->CopySelection();
            net->Paste();
            break;
        case 13: QVERIFY(net->LoadFromBytes(net->SaveToBytes())); break;
        case 14: net->AddPlace(p.x(), p.y()); break;
        }
        CheckAgainstWalk(*net, u"step %1: %2"_s.arg(step).arg(names[op]));
        if (QTest::currentTestFailed())
            return;
    }
}

QTEST_GUILESS_MAIN(TSelectionTest)
#include "tst_selection.moc"
