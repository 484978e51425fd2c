#include "NetFixtures.h"

#include <QTest>

#include <numeric>

// The token game: starting and ending, firing under a point, and the tree of
// recorded states.
class TModellingTest : public QObject
{
    Q_OBJECT

private slots:
    void startNeedsPlacesAndTransitions();
    void startAndEnd();
    void fireAt();
    void enabledCountOnlyWhileModelling();
    void placeBothInputAndOutput();
    void revisitingReusesChild();
    void differentOrdersMakeDifferentNodes();
    void pathAndFireCounts();
    void captionKeepsNameAtFiring();
    void goToStateRestoresMarking();
    void nodeBounds();
    void snapshotsWhileModelling();
    void randomRunsKeepTreeInStep_data();
    void randomRunsKeepTreeInStep();
};

namespace {

// p0 -> t0 -> p1 -> t1 -> p0, plus t2 from p0 to p1; p0 holds 2 tokens.
std::unique_ptr<TPetryNet> Cycle()
{
    auto net = MakeNet();
    TPosition *p0 = net->AddPlace(100, 100);
    TPosition *p1 = net->AddPlace(300, 100);
    TTransfer *t0 = net->AddTransition(200, 50);
    TTransfer *t1 = net->AddTransition(200, 150);
    TTransfer *t2 = net->AddTransition(200, 250);
    Connect(*net, p0, t0);
    Connect(*net, t0, p1);
    Connect(*net, p1, t1);
    Connect(*net, t1, p0);
    Connect(*net, p0, t2);
    Connect(*net, t2, p1);
    p0->Tokens = 2;
    return net;
}

QList<qint32> Marking(const TPetryNet &net)
{
    QList<qint32> m;
    for (const TPosition *p : net.Places)
        m.append(p->Tokens);
    return m;
}

} // namespace

void TModellingTest::startNeedsPlacesAndTransitions()
{
    auto net = MakeNet();
    net->AddPlace(100, 100);
    QVERIFY(!net->CanStartModelling());
    net->StartModelling();
    QVERIFY(!net->Modelling);
    QVERIFY(!net->RootState);
    net->AddTransition(200, 100);
    QVERIFY(net->CanStartModelling());
}

void TModellingTest::startAndEnd()
{
    auto net = Cycle();
    int states = 0;
    net->OnStateChange = [&states](TPetryNet *) { ++states; };
    net->StartModelling();
    QVERIFY(net->Modelling);
    QCOMPARE(states, 1);
    QCOMPARE(net->SelectedCount(), 0);
    QCOMPARE(net->RootState->Caption, QStringLiteral("начальное состояние"));
    QCOMPARE(net->RootState->Marking(), (QVector<qint32>{2, 0}));
    QCOMPARE(net->CurrentState, net->RootState.get());
    TNetStateTreeNode *root = net->RootState.get();
    net->StartModelling(); // already on: nothing changes
    QCOMPARE(net->RootState.get(), root);
    QCOMPARE(states, 1);
    QVERIFY(net->Transition(0)->IsEnabled());
    net->Transition(0)->Fire();
    QCOMPARE(states, 2);
    net->EndModelling();
    QVERIFY(!net->Modelling);
    QVERIFY(!net->RootState);
    QCOMPARE(net->CurrentState, nullptr);
    QCOMPARE(Marking(*net), (QList<qint32>{1, 1})); // places keep the marking reached
}

void TModellingTest::fireAt()
{
    auto net = Cycle();
    QVERIFY(!net->FireAt(200, 50)); // not modelling
    net->StartModelling();
    QVERIFY(!net->FireAt(100, 100)); // a place
    QVERIFY(!net->FireAt(600, 400)); // nothing
    QVERIFY(!net->FireAt(200, 150)); // t1 is not enabled
    QVERIFY(net->FireAt(200, 50));
    QCOMPARE(Marking(*net), (QList<qint32>{1, 1}));
}

void TModellingTest::enabledCountOnlyWhileModelling()
{
    auto net = Cycle();
    QCOMPARE(net->EnabledCount(), 0);
    net->StartModelling();
    QCOMPARE(net->EnabledCount(), 2);
    net->Transition(0)->Fire();
    net->Transition(2)->Fire();
    QCOMPARE(net->EnabledCount(), 1);
    net->Transition(1)->Fire();
    net->Transition(1)->Fire();
    QCOMPARE(Marking(*net), (QList<qint32>{2, 0}));
}

void TModellingTest::placeBothInputAndOutput()
{
    auto net = MakeNet();
    TPosition *p = net->AddPlace(100, 100);
    TTransfer *t = net->AddTransition(200, 100);
    Connect(*net, p, t, 2);
    Connect(*net, t, p, 1);
    p->Tokens = 2;
    net->StartModelling();
    QVERIFY(t->IsEnabled());
    t->Fire();
    QCOMPARE(p->Tokens, 1);
    QVERIFY(!t->IsEnabled());
    QCOMPARE(net->EnabledCount(), 0); // a dead end
}

void TModellingTest::revisitingReusesChild()
{
    auto net = Cycle();
    net->StartModelling();
    net->Transition(2)->Fire();
    TNetStateTreeNode *child = net->CurrentState;
    net->GoToState(net->RootState.get());
    net->Transition(2)->Fire();
    QCOMPARE(net->CurrentState, child);
    QCOMPARE(net->RootState->ChildCount(), 1);
}

void TModellingTest::differentOrdersMakeDifferentNodes()
{
    auto net = Cycle();
    net->StartModelling();
    net->Transition(0)->Fire();
    net->Transition(2)->Fire();
    TNetStateTreeNode *first = net->CurrentState;
    net->GoToState(net->RootState.get());
    net->Transition(2)->Fire();
    net->Transition(0)->Fire();
    TNetStateTreeNode *second = net->CurrentState;
    QVERIFY(first != second);
    QCOMPARE(first->Marking(), second->Marking());
    QCOMPARE(second->Parent->Parent, net->RootState.get());
    QCOMPARE(net->RootState->Child(0)->Child(2), first);
    QCOMPARE(net->RootState->Child(2)->Child(0), second);
}

void TModellingTest::pathAndFireCounts()
{
    auto net = Cycle();
    net->Place(0)->Tokens = 5;
    net->StartModelling();
    net->Transition(0)->Fire();
    net->Transition(2)->Fire();
    net->Transition(0)->Fire();
    const TNetStateTreeNode *node = net->CurrentState;
    QCOMPARE(node->Path(), (QList<qint32>{0, 2, 0}));
    QCOMPARE(node->FireCounts(), (QVector<qint32>{2, 0, 1}));
    QCOMPARE(node->Marking(), (QVector<qint32>{2, 3}));
    QCOMPARE(net->RootState->Path(), QList<qint32>());
    QCOMPARE(net->RootState->FireCounts(), (QVector<qint32>{0, 0, 0}));
}

void TModellingTest::captionKeepsNameAtFiring()
{
    auto net = Cycle();
    net->StartModelling();
    net->Transition(0)->Name = QStringLiteral("Переход3");
    net->Transition(0)->Fire();
    net->Transition(0)->Name = QStringLiteral("Другое");
    QCOMPARE(net->CurrentState->Caption, QStringLiteral("Переход3"));
}

void TModellingTest::goToStateRestoresMarking()
{
    auto net = Cycle();
    int states = 0;
    net->OnStateChange = [&states](TPetryNet *) { ++states; };
    net->StartModelling();
    net->Transition(0)->Fire();
    net->Transition(0)->Fire();
    QCOMPARE(Marking(*net), (QList<qint32>{0, 2}));
    net->GoToState(net->RootState.get());
    QCOMPARE(Marking(*net), (QList<qint32>{2, 0}));
    QCOMPARE(states, 3); // GoToState raises nothing
    net->GoToState(nullptr);
    QCOMPARE(net->CurrentState, net->RootState.get());
}

void TModellingTest::nodeBounds()
{
    TNetStateTreeNode node(2, 3, QStringLiteral("x"));
    node.SetTokens(1, 7);
    node.SetTokens(2, 9);
    node.SetTokens(-1, 9);
    QCOMPARE(node.Tokens(1), 7);
    QCOMPARE(node.Tokens(2), 0);
    QCOMPARE(node.Tokens(-1), 0);
    QCOMPARE(node.FireCount(3), 0);
    QCOMPARE(node.Child(3), nullptr);
    QVERIFY(!node.HasChild(-1));
    QCOMPARE(node.GetOrAddChild(3, QStringLiteral("y")), nullptr);
    TNetStateTreeNode *child = node.GetOrAddChild(1, QStringLiteral("a"));
    QCOMPARE(node.GetOrAddChild(1, QStringLiteral("b")), child);
    QCOMPARE(child->Caption, QStringLiteral("a"));
    QCOMPARE(child->Marking(), (QVector<qint32>{0, 7})); // its parent's, until its firing is noted
    QCOMPARE(child->FireCount(1), 1);
}

void TModellingTest::snapshotsWhileModelling()
{
    // One firing that changes 12 places (more than the undo depth) is one
    // step: one snapshot, undone by one Undo, and earlier steps survive it.
    auto net = MakeNet();
    TPosition *input = net->AddPlace(40, 40);
    TTransfer *t = net->AddTransition(80, 40);
    Connect(*net, input, t);
    for (int k = 0; k < 11; ++k)
        Connect(*net, t, net->AddPlace(40 + 50 * k, 200));
    input->Tokens = 1;
    const QList<qint32> before = Marking(*net);
    const QByteArray document = net->SaveToBytes();
    net->UndoStack.Snapshots.clear();
    net->SaveUndo(); // an earlier step
    net->StartModelling();
    const int snapshots = net->UndoStack.Count();
    t->Fire();
    QCOMPARE(net->UndoStack.Count(), snapshots + 1);
    QCOMPARE(Marking(*net).count(1), 11);
    // Jumping back to a recorded state is one step too.
    net->GoToState(net->RootState.get());
    QCOMPARE(net->UndoStack.Count(), snapshots + 2);
    QCOMPARE(Marking(*net), before);
    net->EndModelling();
    net->Undo();
    QCOMPARE(Marking(*net).count(1), 11);
    net->Undo();
    QCOMPARE(net->SaveToBytes(), document);
    QCOMPARE(net->UndoStack.Count(), snapshots);
}

void TModellingTest::randomRunsKeepTreeInStep_data()
{
    QTest::addColumn<int>("arcs");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("jumpEvery"); // one step in so many jumps back
    QTest::addColumn<bool>("source");   // a transition that only adds keeps runs going
    QTest::newRow("sparse") << 10 << 60 << 5 << false;
    QTest::newRow("dense, places on both sides") << 40 << 60 << 5 << false;
    QTest::newRow("long runs, past the stored copies") << 10 << 400 << 60 << true;
}

void TModellingTest::randomRunsKeepTreeInStep()
{
    // Random firings and jumps back to recorded states: each state keeps only
    // its changes, yet the current one always shows the places' marking, is
    // told apart from others by it, and counts its path's firings.
    QFETCH(int, arcs);
    QFETCH(int, steps);
    QFETCH(int, jumpEvery);
    QFETCH(bool, source);
    for (quint32 seed = 1; seed <= 20; ++seed) {
        auto net = MakeNet();
        FillRandomNet(*net, seed, 8, 5, arcs);
        if (source) {
            TPosition *p = net->Places[int(seed % 8)];
            TTransfer *t = net->AddTransition(600, 400);
            p->Tokens += 1;
            Connect(*net, p, t);
            Connect(*net, t, p, 2);
        }
        net->StartModelling();
        QRandomGenerator rng(seed);
        QList<TNetStateTreeNode *> seen{net->RootState.get()};
        for (int step = 0; step < steps; ++step) {
            if (rng.bounded(jumpEvery) == 0) {
                net->GoToState(seen[int(rng.bounded(seen.size()))]);
            } else {
                QList<TTransfer *> enabled;
                for (TTransfer *t : net->Transitions)
                    if (t->IsEnabled())
                        enabled.append(t);
                if (enabled.isEmpty()) {
                    net->GoToState(seen[int(rng.bounded(seen.size()))]);
                } else {
                    enabled[int(rng.bounded(enabled.size()))]->Fire();
                    seen.append(net->CurrentState);
                }
            }
            const TNetStateTreeNode *state = net->CurrentState;
            QCOMPARE(state->Marking(), Marking(*net));
            QVERIFY(state->HasMarking(Marking(*net)));
            if (state->Parent && state->Parent->Marking() != Marking(*net))
                QVERIFY(!state->Parent->HasMarking(Marking(*net)));
            const QList<qint32> path = state->Path();
            QCOMPARE(path.size(), state->Depth);
            const QVector<qint32> counts = state->FireCounts();
            QCOMPARE(std::accumulate(counts.begin(), counts.end(), 0), state->Depth);
            for (int t = 0; t < net->TransitionCount(); ++t) {
                QCOMPARE(state->FireCount(t), counts[t]);
                QCOMPARE(counts[t], path.count(t));
            }
            for (int k = 0; k < net->PlaceCount(); ++k)
                QCOMPARE(state->Tokens(k), net->Place(k)->Tokens);
        }
    }
}

QTEST_GUILESS_MAIN(TModellingTest)
#include "tst_modelling.moc"
