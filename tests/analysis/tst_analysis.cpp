#include "Analysis.h"
#include "NetFamilies.h"
#include "NetFormats.h"
#include "../model/NetFixtures.h"

#include <QDir>
#include <QSet>
#include <QTest>

#include <functional>
#include <thread>

using namespace NetFamilies;

class TAnalysisTest : public QObject
{
    Q_OBJECT

private slots:
    void smallNets_data();
    void smallNets();
    void families_data();
    void families();
    void sharedNets_data();
    void sharedNets();
    void randomNetsMatchTheTokenGame();
    void limitsNeverClaimWrongAnswers_data();
    void limitsNeverClaimWrongAnswers();
    void badInput();
    void twoAnalysesAtOnce();
};

using TBuild = std::function<TAnalysisNet()>;
Q_DECLARE_METATYPE(TBuild)

namespace {

// "y", "n" or "?" for a verdict, so table rows stay short.
QString V(const TAnswer &a)
{
    return a.IsYes() ? QStringLiteral("y") : a.IsNo() ? QStringLiteral("n") : QStringLiteral("?");
}

QString Names(const QStringList &names, const QList<int> &indices)
{
    QStringList list;
    for (int i : indices)
        list << names[i];
    return list.join(u',');
}

// p0 -> t0 -> p1 -> t1 -> p0 with one token.
TAnalysisNet Cycle()
{
    TAnalysisNet net;
    net.AddPlace(QStringLiteral("p0"), 1);
    net.AddPlace(QStringLiteral("p1"), 0);
    Transition(net, QStringLiteral("t0"), {{0, 1}}, {{1, 1}});
    Transition(net, QStringLiteral("t1"), {{1, 1}}, {{0, 1}});
    return net;
}

} // namespace

void TAnalysisTest::smallNets_data()
{
    QTest::addColumn<TBuild>("build");
    QTest::addColumn<bool>("sourcesFire");
    QTest::addColumn<qint64>("states");
    QTest::addColumn<qint64>("firings");
    // bounded, safe, deadlock, live, reversible, home marking
    QTest::addColumn<QString>("verdicts");
    QTest::addColumn<QString>("unbounded");
    QTest::addColumn<QString>("dead");
    QTest::addColumn<QString>("deadlockPath");

    QTest::newRow("cycle") << TBuild(Cycle) << false << 2LL << 2LL << "yynyyy" << "" << "" << "";
    QTest::newRow("weight 2 drains once") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), 3);
        net.AddPlace(QStringLiteral("p1"), 0);
        Transition(net, QStringLiteral("t0"), {{0, 2}}, {{1, 1}});
        Transition(net, QStringLiteral("t1"), {{1, 3}}, {});
        return net;
    }) << false << 2LL << 1LL << "ynynny" << "" << "t1" << "t0";
    QTest::newRow("self-loop and a dead transition") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), 1);
        net.AddPlace(QStringLiteral("p1"), 0);
        Transition(net, QStringLiteral("loop"), {{0, 1}}, {{0, 1}});
        Transition(net, QStringLiteral("never"), {{1, 1}}, {{0, 1}});
        return net;
    }) << false << 1LL << 1LL << "yynnyy" << "" << "never" << "";
    QTest::newRow("two bottom components") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), 1);
        net.AddPlace(QStringLiteral("a"), 0);
        net.AddPlace(QStringLiteral("b"), 0);
        Transition(net, QStringLiteral("toA"), {{0, 1}}, {{1, 1}});
        Transition(net, QStringLiteral("toB"), {{0, 1}}, {{2, 1}});
        Transition(net, QStringLiteral("a"), {{1, 1}}, {{1, 1}});
        Transition(net, QStringLiteral("b"), {{2, 1}}, {{2, 1}});
        return net;
    }) << false << 3LL << 4LL << "yynnnn" << "" << "" << "";
    QTest::newRow("producer: coverability with ω") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), 1);
        net.AddPlace(QStringLiteral("p1"), 0);
        Transition(net, QStringLiteral("make"), {{0, 1}}, {{0, 1}, {1, 1}});
        Transition(net, QStringLiteral("use"), {{1, 2}}, {});
        return net;
    }) << false << 2LL << 3LL << "nn????" << "p1" << "" << "";
    QTest::newRow("producer that can stop") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), 1);
        net.AddPlace(QStringLiteral("p1"), 0);
        Transition(net, QStringLiteral("make"), {{0, 1}}, {{0, 1}, {1, 1}});
        Transition(net, QStringLiteral("stop"), {{0, 1}}, {});
        return net;
    }) << false << 4LL << 4LL << "nnynn?" << "p1" << "" << "stop";
    QTest::newRow("source transition never fires in the token game") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), 0);
        Transition(net, QStringLiteral("src"), {}, {{0, 1}});
        return net;
    }) << false << 1LL << 0LL << "yyynyy" << "" << "src" << "";
    QTest::newRow("source transition by the textbook rule") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), 0);
        Transition(net, QStringLiteral("src"), {}, {{0, 1}});
        return net;
    }) << true << 2LL << 2LL << "nn????" << "p0" << "" << "";
    QTest::newRow("empty net") << TBuild([] { return TAnalysisNet(); }) << false << 1LL << 0LL << "yyyyyy" << ""
                               << "" << "";
    QTest::newRow("weights of 2^31-1") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), INT32_MAX);
        net.AddPlace(QStringLiteral("p1"), 0);
        Transition(net, QStringLiteral("t0"), {{0, INT32_MAX}}, {{1, INT32_MAX}});
        Transition(net, QStringLiteral("t1"), {{1, INT32_MAX}}, {{0, INT32_MAX}});
        return net;
    }) << false << 2LL << 2LL << "ynnyyy" << "" << "" << "";
    // A firing that passes the packing's width, and a weight no count of
    // the narrow packing reaches.
    QTest::newRow("counts outgrow their width") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), 1);
        net.AddPlace(QStringLiteral("p1"), 0);
        Transition(net, QStringLiteral("t0"), {{0, 1}}, {{1, 5}});
        Transition(net, QStringLiteral("t1"), {{1, 9}}, {});
        return net;
    }) << false << 2LL << 1LL << "ynynny" << "" << "t1" << "t0";
    // 64 one-bit counts fill a word: the last one's guard bit lies past it.
    QTest::newRow("ring of 64 places") << TBuild([] {
        TAnalysisNet net;
        for (int k = 0; k < 64; ++k)
            net.AddPlace(QStringLiteral("p%1").arg(k), k == 0 ? 1 : 0);
        for (int k = 0; k < 64; ++k)
            Transition(net, QStringLiteral("t%1").arg(k), {{k, 1}}, {{(k + 1) % 64, 1}});
        return net;
    }) << false << 64LL << 64LL << "yynyyy" << "" << "" << "";
    // One transition more than are tested together in every state: the
    // candidates come from the places that hold tokens.
    QTest::newRow("ring of 64 places with a shortcut") << TBuild([] {
        TAnalysisNet net;
        for (int k = 0; k < 64; ++k)
            net.AddPlace(QStringLiteral("p%1").arg(k), k == 0 ? 1 : 0);
        for (int k = 0; k < 64; ++k)
            Transition(net, QStringLiteral("t%1").arg(k), {{k, 1}}, {{(k + 1) % 64, 1}});
        Transition(net, QStringLiteral("skip"), {{0, 1}}, {{2, 1}});
        return net;
    }) << false << 64LL << 65LL << "yynyyy" << "" << "" << "";
    QTest::newRow("count at the 32-bit limit") << TBuild([] {
        TAnalysisNet net;
        net.AddPlace(QStringLiteral("p0"), INT32_MAX - 1);
        net.AddPlace(QStringLiteral("p1"), 1);
        Transition(net, QStringLiteral("add"), {{1, 1}}, {{1, 1}, {0, 1}});
        return net;
    }) << false << 2LL << 2LL << "nn????" << "p0" << "" << "";
}

void TAnalysisTest::smallNets()
{
    QFETCH(TBuild, build);
    QFETCH(bool, sourcesFire);
    const TAnalysisNet net = build();
    TAnalysisOptions options;
    options.SourceTransitionsFire = sourcesFire;
    const TAnalysisResult r = AnalyseNet(net, options);
    QVERIFY2(r.Complete, qPrintable(r.StopReason));
    QTEST(r.States, "states");
    QTEST(r.Firings, "firings");
    QTEST(V(r.Bounded) + V(r.Safe) + V(r.Deadlocks) + V(r.Live) + V(r.Reversible) + V(r.HomeMarkings), "verdicts");
    QTEST(Names(net.PlaceNames, r.UnboundedPlaces), "unbounded");
    QTEST(Names(net.TransitionNames, r.DeadTransitions()), "dead");
    QTEST(Names(net.TransitionNames, r.DeadlockPath), "deadlockPath");
    for (const TAnswer *a : {&r.Bounded, &r.Safe, &r.Deadlocks, &r.Live, &r.Reversible, &r.HomeMarkings})
        QVERIFY(a->IsKnown() || !a->Reason.isEmpty());
    // The graph kept for drawing agrees with the figures.
    QVERIFY(r.Graph.Kept);
    QCOMPARE(r.Graph.Coverability, !r.UnboundedPlaces.isEmpty());
    QCOMPARE(r.Graph.StateCount(), r.States);
    QCOMPARE(r.Graph.Edges.size(), r.Firings);
}

void TAnalysisTest::families_data()
{
    QTest::addColumn<TBuild>("build");
    QTest::addColumn<qint64>("states");
    QTest::addColumn<qint64>("firings");
    QTest::addColumn<bool>("deadlock");
    QTest::newRow("Kanban 1") << TBuild([] { return Kanban(1); }) << 160LL << 616LL << false;
    QTest::newRow("Kanban 3") << TBuild([] { return Kanban(3); }) << 58400LL << 446400LL << false;
    QTest::newRow("philosophers 5") << TBuild([] { return Philosophers(5); }) << 243LL << 945LL << true;
    QTest::newRow("philosophers 10") << TBuild([] { return Philosophers(10); }) << 59049LL << -1LL << true;
    // One token on each of ten places of a ring: counts outgrow their packing
    // at a level wide enough for two workers (C(19, 9) states).
    QTest::newRow("ring of 10") << TBuild([] {
        TAnalysisNet net;
        for (int k = 0; k < 10; ++k)
            net.AddPlace(QStringLiteral("p%1").arg(k), 1);
        for (int k = 0; k < 10; ++k)
            Transition(net, QStringLiteral("t%1").arg(k), {{k, 1}}, {{(k + 1) % 10, 1}});
        return net;
    }) << 92378LL << 486200LL << false;
}

void TAnalysisTest::families()
{
    QFETCH(TBuild, build);
    const TAnalysisResult r = AnalyseNet(build());
    QVERIFY(r.Complete);
    // Two workers find the same states in the same order.
    TAnalysisOptions two;
    two.Threads = 2;
    const TAnalysisResult shared = AnalyseNet(build(), two);
    QCOMPARE(shared.States, r.States);
    QCOMPARE(shared.Firings, r.Firings);
    QCOMPARE(shared.DeadlockPath, r.DeadlockPath);
    QCOMPARE(shared.DeadlockCount, r.DeadlockCount);
    QCOMPARE(shared.Live.Value, r.Live.Value);
    QCOMPARE(shared.PlaceBounds, r.PlaceBounds);
    QCOMPARE(shared.MaxTokensMarking, r.MaxTokensMarking);
    // A state limit met inside a level stops both at the same place.
    TAnalysisOptions cut;
    cut.MaxStates = r.States / 2;
    cut.Structure = false;
    const TAnalysisResult oneCut = AnalyseNet(build(), cut);
    cut.Threads = 2;
    const TAnalysisResult twoCut = AnalyseNet(build(), cut);
    QCOMPARE(twoCut.States, cut.MaxStates);
    QCOMPARE(twoCut.States, oneCut.States);
    QCOMPARE(twoCut.Firings, oneCut.Firings);
    QCOMPARE(twoCut.DeadlockCount, oneCut.DeadlockCount);
    QFETCH(qint64, firings);
    QTEST(r.States, "states");
    if (firings >= 0)
        QCOMPARE(r.Firings, firings);
    QTEST(r.Deadlocks.IsYes(), "deadlock");
    // A deadlock path replays to a dead marking through the firing rule.
    if (r.Deadlocks.IsYes()) {
        TAnalysisNet net = build();
        QList<qint64> m(net.Marking.begin(), net.Marking.end());
        for (int t : r.DeadlockPath) {
            for (const TArcWeight &a : net.Pre[t]) {
                QVERIFY(m[a.Place] >= a.Weight);
                m[a.Place] -= a.Weight;
            }
            for (const TArcWeight &a : net.Post[t])
                m[a.Place] += a.Weight;
        }
        QCOMPARE(m, r.DeadlockMarking);
    }
}

void TAnalysisTest::sharedNets_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("states");
    QTest::addColumn<qint64>("firings");
    QTest::addColumn<qint64>("maxPlace");
    QTest::addColumn<qint64>("maxMarking");
    QTest::addColumn<bool>("deadlock");
    QTest::newRow("Philosophers") << "Philosophers-PT-000005.pnml" << 243LL << 945LL << 1LL << 10LL << true;
    QTest::newRow("TokenRing") << "TokenRing-PT-005.pnml" << 166LL << 365LL << 1LL << 6LL << false;
    QTest::newRow("Eratosthenes") << "Eratosthenes-PT-010.pnml" << 32LL << 120LL << 1LL << 9LL << true;
    QTest::newRow("Kanban") << "Kanban-PT-00005.pnml" << 2546432LL << 24460016LL << 5LL << 20LL << false;
}

void TAnalysisTest::sharedNets()
{
    QFETCH(QString, file);
    const QString path = QStringLiteral(PETRI_SOURCE_DIR "/../shared/data/nets/") + file;
    if (!QFile::exists(path))
        QSKIP("the shared benchmark nets are not there");
    TPetryNet model;
    TAnalysisNet net;
    QString error;
    if (!LoadNetDocument(path, model, &error))
        QSKIP(qPrintable(QStringLiteral("cannot load the net yet: ") + error));
    QVERIFY2(BuildAnalysisNet(model, net, &error), qPrintable(error));
    TAnalysisOptions options;
    options.Structure = false;
    const TAnalysisResult r = AnalyseNet(net, options);
    QVERIFY2(r.Complete, qPrintable(r.StopReason));
    QTEST(r.States, "states");
    QTEST(r.Firings, "firings");
    QTEST(r.MaxTokensPlace, "maxPlace");
    QTEST(r.MaxTokensMarking, "maxMarking");
    QTEST(r.Deadlocks.IsYes(), "deadlock");
    QVERIFY(r.Bounded.IsYes());
}

// For random small nets the engine finds exactly the markings and firings a
// plain search finds by firing the model's own transitions.
void TAnalysisTest::randomNetsMatchTheTokenGame()
{
    const int cap = 3000;
    int compared = 0, unbounded = 0;
    for (quint32 seed = 1; seed <= 120; ++seed) {
        auto model = MakeNet();
        FillRandomNet(*model, seed, 2 + seed % 4, 2 + seed % 3, 4 + seed % 7);
        for (TPosition *p : model->Places)
            p->Tokens %= 4;
        TAnalysisNet net;
        QVERIFY(BuildAnalysisNet(*model, net));
        TAnalysisOptions options;
        options.Structure = false;
        options.MaxStates = cap;
        const TAnalysisResult r = AnalyseNet(net, options);

        QHash<QList<qint32>, int> seen;
        QList<QList<qint32>> queue;
        QList<QList<std::pair<int, int>>> back;    // per state: (predecessor, transition)
        QList<QSet<int>> enabledIn;
        qint64 firings = 0;
        auto visit = [&](const QList<qint32> &m) {
            if (!seen.contains(m) && seen.size() <= cap) {
                seen.insert(m, int(queue.size()));
                queue << m;
                back.emplaceBack();
                enabledIn.emplaceBack();
            }
            return seen.value(m, -1);
        };
        visit(net.Marking);
        for (qsizetype i = 0; i < queue.size() && seen.size() <= cap; ++i) {
            for (int t = 0; t < model->TransitionCount(); ++t) {
                for (int k = 0; k < model->PlaceCount(); ++k)
                    model->Places[k]->Tokens = queue[i][k];
                if (!model->Transitions[t]->IsEnabled())
                    continue;
                ++firings;
                enabledIn[i].insert(t);
                model->Transitions[t]->Fire();
                QList<qint32> next;
                for (const TPosition *p : model->Places)
                    next << p->Tokens;
                if (const int j = visit(next); j >= 0)
                    back[j].append({int(i), t});
            }
        }
        // Which states can reach one of the given states, by walking back.
        auto reaching = [&](QList<int> targets) {
            QSet<int> found(targets.begin(), targets.end());
            for (qsizetype k = 0; k < targets.size(); ++k)
                for (auto [from, t] : back[targets[k]])
                    if (!found.contains(from)) {
                        found.insert(from);
                        targets << from;
                    }
            return found.size();
        };
        if (r.Coverability) {
            // ω claims growth without bound: the plain search must run past the cap.
            ++unbounded;
            QVERIFY2(seen.size() > cap, qPrintable(QStringLiteral("seed %1").arg(seed)));
        } else if (r.Complete) {
            ++compared;
            QVERIFY2(seen.size() <= cap, qPrintable(QStringLiteral("seed %1").arg(seed)));
            QCOMPARE(r.States, seen.size());
            QCOMPARE(r.Firings, firings);
            // Liveness and reversibility by their definitions.
            const int n = int(queue.size());
            QList<int> dead;
            for (int i = 0; i < n; ++i)
                if (enabledIn[i].isEmpty())
                    dead << i;
            QCOMPARE(r.DeadlockCount, dead.size());
            QCOMPARE(r.Reversible.IsYes(), reaching({0}) == n);
            for (int t = 0; t < model->TransitionCount(); ++t) {
                QList<int> enabling;
                for (int i = 0; i < n; ++i)
                    if (enabledIn[i].contains(t))
                        enabling << i;
                QCOMPARE(r.TransitionLive[t] == TVerdict::Yes, reaching(enabling) == n);
            }
        }
    }
    QVERIFY(compared > 40);
    QVERIFY(unbounded > 5);
}

void TAnalysisTest::limitsNeverClaimWrongAnswers_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("reason");
    QTest::newRow("states") << 0 << "предел числа состояний";
    QTest::newRow("memory") << 1 << "памяти";
    QTest::newRow("time") << 2 << "время";
    QTest::newRow("cancel") << 3 << "прерван";
    QTest::newRow("coverability nodes") << 4 << "узлов";
}

void TAnalysisTest::limitsNeverClaimWrongAnswers()
{
    QFETCH(int, limit);
    QFETCH(QString, reason);
    std::atomic<bool> cancel{limit == 3};
    TAnalysisOptions options;
    options.Cancel = &cancel;
    options.MaxStates = limit == 0 ? 1000 : options.MaxStates;
    options.MaxMemoryBytes = limit == 1 ? 1 << 20 : options.MaxMemoryBytes;
    options.MaxSeconds = limit == 2 ? 1e-6 : 0;
    options.MaxCoverabilityNodes = 3;
    // Philosophers have a deadlock far from the start; a counter grows without bound.
    TAnalysisNet net = Philosophers(12);
    if (limit == 4) {
        net = TAnalysisNet();
        for (int k = 0; k < 4; ++k)
            net.AddPlace(QStringLiteral("p%1").arg(k), k == 0);
        for (int k = 0; k < 4; ++k)
            Transition(net, QStringLiteral("t%1").arg(k), {{k, 1}}, {{(k + 1) % 4, 1}, {k, 1}});
    }
    TAnalysisProgress progress;
    options.Progress = &progress;
    const TAnalysisResult r = AnalyseNet(net, options);
    QVERIFY(!r.Complete);
    QVERIFY2(r.StopReason.contains(reason), qPrintable(r.StopReason));
    QCOMPARE(progress.Stage.load(), int(TAnalysisStage::Done));
    if (limit == 0)
        QCOMPARE(r.States, 1000);
    // Nothing the search did not finish may come out as a definite answer,
    // and the text says the analysis is incomplete.
    QVERIFY(!r.Bounded.IsYes() && !r.Live.IsKnown() && !r.Reversible.IsYes() && !r.HomeMarkings.IsYes());
    QVERIFY(!r.Deadlocks.IsNo());
    QVERIFY(!r.DeadTransitions().size() || limit == 4);
    QVERIFY(AnalysisReportText(net, r).contains(QStringLiteral("Анализ неполный")));
}

void TAnalysisTest::badInput()
{
    TAnalysisNet negative = Cycle();
    negative.Marking[0] = -1;
    TAnalysisNet zeroWeight = Cycle();
    zeroWeight.Pre[0][0].Weight = 0;
    for (const TAnalysisNet *net : {&negative, &zeroWeight}) {
        const TAnalysisResult r = AnalyseNet(*net);
        QVERIFY(!r.Complete);
        QVERIFY(!r.StopReason.isEmpty());
        QVERIFY(!r.Bounded.IsKnown());
    }

    // 10,000 places: a ring of 1,000 with one token, and 9,000 isolated ones.
    TAnalysisNet ring;
    for (int k = 0; k < 1000; ++k)
        ring.AddPlace(QStringLiteral("p%1").arg(k), k == 0);
    for (int k = 0; k < 1000; ++k)
        Transition(ring, QStringLiteral("t%1").arg(k), {{k, 1}}, {{(k + 1) % 1000, 1}});
    for (int k = 0; k < 9000; ++k)
        ring.AddPlace(QStringLiteral("q%1").arg(k), 3);
    const TAnalysisResult r = AnalyseNet(ring);
    QVERIFY2(r.Complete, qPrintable(r.StopReason));
    QCOMPARE(r.States, 1000);
    QVERIFY(r.Live.IsYes() && r.Reversible.IsYes());
    QCOMPARE(r.PInvariants.Vectors.size(), 9001);
    QCOMPARE(r.TInvariants.Vectors.size(), 1);
    QVERIFY(!r.Graph.Kept);
}

// Analyses share nothing: two at once answer what each answers alone.
void TAnalysisTest::twoAnalysesAtOnce()
{
    TAnalysisResult a, b;
    std::thread first([&] { a = AnalyseNet(Kanban(2)); });
    std::thread second([&] { b = AnalyseNet(Philosophers(8)); });
    first.join();
    second.join();
    QCOMPARE(a.States, 4600);
    QCOMPARE(b.States, 6561);
    QVERIFY(a.Live.IsYes() && b.Deadlocks.IsYes());
}

QTEST_GUILESS_MAIN(TAnalysisTest)
#include "tst_analysis.moc"
