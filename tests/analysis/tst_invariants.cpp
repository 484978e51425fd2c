#include "Analysis.h"
#include "NetFamilies.h"

#include <QTest>

#include <functional>

using namespace NetFamilies;

using TBuild = std::function<TAnalysisNet()>;
Q_DECLARE_METATYPE(TBuild)

class TInvariantsTest : public QObject
{
    Q_OBJECT

private slots:
    void invariants_data();
    void invariants();
    void invariantLimits();
};

void TInvariantsTest::invariants_data()
{
    QTest::addColumn<TBuild>("build");
    QTest::addColumn<int>("pCount");
    QTest::addColumn<int>("tCount");
    QTest::addColumn<bool>("pCovered");
    QTest::addColumn<bool>("tCovered");
    QTest::newRow("weighted cycle") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), 2);
        net.AddPlace(QStringLiteral("p1"), 0);
        Transition(net, QStringLiteral("t0"), {{0, 2}}, {{1, 1}});
        Transition(net, QStringLiteral("t1"), {{1, 1}}, {{0, 2}});
        return net;
    }) << 1 << 1 << true << true;
    QTest::newRow("producer") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), 1);
        net.AddPlace(QStringLiteral("p1"), 0);
        Transition(net, QStringLiteral("make"), {{0, 1}}, {{0, 1}, {1, 1}});
        return net;
    }) << 1 << 0 << false << false;
    QTest::newRow("Kanban") << TBuild([] { return Kanban(2); }) << 6 << 5 << true << true;
    QTest::newRow("philosophers 4") << TBuild([] { return Philosophers(4); }) << 8 << 8 << true << true;
}

void TInvariantsTest::invariants()
{
    QFETCH(TBuild, build);
    const TAnalysisNet net = build();
    TAnalysisOptions options;
    options.Behaviour = false;
    const TAnalysisResult r = AnalyseNet(net, options);
    QFETCH(int, pCount);
    QFETCH(int, tCount);
    QFETCH(bool, pCovered);
    QFETCH(bool, tCovered);
    const QList<QList<qint64>> &c = r.Incidence;
    for (const auto &[set, count, covered, isP] :
         {std::tuple{&r.PInvariants, pCount, pCovered, true}, std::tuple{&r.TInvariants, tCount, tCovered, false}}) {
        QVERIFY(set->Complete);
        QCOMPARE(set->Vectors.size(), count);
        QCOMPARE(set->Covered.IsYes(), covered);
        for (const QList<qint64> &x : set->Vectors) {
            // Semi-positive, x·C = 0 (C·x = 0), and no other invariant's
            // support lies inside its support.
            QVERIFY(std::all_of(x.begin(), x.end(), [](qint64 v) { return v >= 0; }));
            QVERIFY(std::any_of(x.begin(), x.end(), [](qint64 v) { return v > 0; }));
            const int rows = isP ? net.TransitionCount() : net.PlaceCount();
            for (int j = 0; j < rows; ++j) {
                qint64 sum = 0;
                for (int k = 0; k < x.size(); ++k)
                    sum += x[k] * (isP ? c[k][j] : c[j][k]);
                QCOMPARE(sum, 0);
            }
            for (const QList<qint64> &y : set->Vectors) {
                if (&y == &x)
                    continue;
                bool inside = true;
                for (int k = 0; k < x.size() && inside; ++k)
                    inside = y[k] == 0 || x[k] != 0;
                QVERIFY(!inside);
            }
        }
    }
}

// Overflow and the row limit are reported, never answered with a wrong set.
void TInvariantsTest::invariantLimits()
{
    // A chain whose weights are coprime: the invariant needs (2^31-2)^3.
    TAnalysisNet chain;
    for (int k = 0; k < 4; ++k)
        chain.AddPlace(QStringLiteral("p%1").arg(k), 0);
    for (int k = 0; k < 3; ++k)
        Transition(chain, QStringLiteral("t%1").arg(k), {{k, INT32_MAX}}, {{k + 1, INT32_MAX - 1}});
    const TInvariantSet overflow = PlaceInvariants(chain.Incidence());
    QVERIFY(!overflow.Complete);
    QVERIFY(overflow.Reason.contains(QStringLiteral("переполнение")));
    QVERIFY(overflow.Vectors.isEmpty());
    QVERIFY(!overflow.Covered.IsKnown());

    const TInvariantSet cut = TransitionInvariants(Philosophers(6).Incidence(), 5);
    QVERIFY(!cut.Complete);
    QVERIFY(cut.Reason.contains(QStringLiteral("строк")));
}

QTEST_GUILESS_MAIN(TInvariantsTest)
#include "tst_invariants.moc"
