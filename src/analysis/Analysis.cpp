#include "Analysis.h"

#include "Components.h"
#include "Coverability.h"
#include "Invariants.h"
#include "Reachability.h"

namespace {

TAnswer Known(bool yes)
{
    return {yes ? TVerdict::Yes : TVerdict::No, {}};
}

TAnswer Unknown(const QString &reason)
{
    return {TVerdict::Unknown, reason};
}

void NoteBounds(TAnalysisResult &r, const std::vector<int64_t> &bounds, int64_t maxTotal)
{
    r.PlaceBounds = QList<qint64>(bounds.begin(), bounds.end());
    r.MaxTokensPlace = 0;
    for (int p = 0; p < int(bounds.size()); ++p) {
        r.MaxTokensPlace = std::max<qint64>(r.MaxTokensPlace, bounds[p]);
        if (bounds[p] == Omega)
            r.UnboundedPlaces << p;
    }
    r.MaxTokensMarking = r.UnboundedPlaces.isEmpty() ? maxTotal : Omega;
}

// Properties of a bounded net from its complete reachability graph, or what
// holds of them when a limit stopped the search.
void FromReachability(TAnalysisResult &r, const TReachability &g, const TSearchLimits &limits, bool complete)
{
    const int transitions = g.Net.TransitionCount();
    r.States = g.StateCount();
    r.Firings = g.Firings;
    r.BytesPerMarking = g.Store.Stride();
    r.MemoryBytes = std::max<qint64>(r.MemoryBytes, g.MemoryBytes());
    NoteBounds(r, g.Bounds, g.MaxTotal);
    const QString why = QStringLiteral("поиск не завершён: ") + r.StopReason;
    r.Bounded = complete ? Known(true) : Unknown(why);
    r.Safe = r.MaxTokensPlace > 1 ? Known(false) : complete ? Known(true) : Unknown(why);
    if (g.DeadCount > 0) {
        r.Deadlocks = Known(true);
        r.DeadlockCount = g.DeadCount;
        r.DeadlockPath = g.PathTo(g.FirstDead);
        r.DeadlockMarking = g.MarkingOf(g.FirstDead);
    } else {
        r.Deadlocks = complete ? Known(false) : Unknown(why);
    }
    r.TransitionDead.fill(TVerdict::Unknown, transitions);
    r.TransitionLive.fill(TVerdict::Unknown, transitions);
    for (int t = 0; t < transitions; ++t)
        if (g.Fired[t] || complete)
            r.TransitionDead[t] = g.Fired[t] ? TVerdict::No : TVerdict::Yes;
    if (!complete) {
        // A dead marking found is a fact: nothing is live, and the start
        // cannot come back from it unless it is the start itself.
        if (g.DeadCount > 0) {
            r.TransitionLive.fill(TVerdict::No);
            r.Live = transitions > 0 ? Known(false) : Unknown(why);
            r.Reversible = g.FirstDead != 0 ? Known(false) : Unknown(why);
            r.HomeMarkings = g.DeadCount > 1 ? Known(false) : Unknown(why);
        } else {
            r.Live = r.Reversible = r.HomeMarkings = Unknown(why);
        }
        return;
    }
    limits.SetStage(TAnalysisStage::Components);
    QString reason;
    int64_t peak = 0;
    auto stoppedAt = [&r](const QString &cause) {
        r.StopReason = cause;
        return Unknown(QStringLiteral("поиск обратных путей не завершён: ") + cause);
    };
    if (g.DeadCount > 0) {
        // Nothing is live where a dead marking can be reached; only a lone
        // start comes back to itself; the one dead marking is the only
        // possible home marking.
        r.TransitionLive.fill(TVerdict::No);
        r.Live = Known(transitions == 0);
        r.Reversible = Known(g.StateCount() == 1);
        if (g.DeadCount > 1) {
            r.HomeMarkings = Known(false);
            return;
        }
        const int64_t reaching = CountReaching(g, g.FirstDead, limits, &reason, &peak);
        r.MemoryBytes = std::max<qint64>(r.MemoryBytes, g.MemoryBytes() + peak);
        r.HomeMarkings = reaching < 0 ? stoppedAt(reason) : Known(reaching == g.StateCount());
        if (r.HomeMarkings.IsYes()) {
            r.HomeMarkingCount = 1;
            r.HomeMarking = r.DeadlockMarking;
            r.HomePath = r.DeadlockPath;
        }
        return;
    }
    // Every marking leads back to the start: the graph is one component, so
    // a transition is live exactly when it fires somewhere.
    const int64_t reaching = CountReaching(g, 0, limits, &reason, &peak);
    r.MemoryBytes = std::max<qint64>(r.MemoryBytes, g.MemoryBytes() + peak);
    if (reaching < 0) {
        r.Live = r.Reversible = r.HomeMarkings = stoppedAt(reason);
        return;
    }
    if (reaching == g.StateCount()) {
        bool live = true;
        for (int t = 0; t < transitions; ++t) {
            r.TransitionLive[t] = g.Fired[t] ? TVerdict::Yes : TVerdict::No;
            live = live && g.Fired[t];
        }
        r.Live = Known(live);
        r.Reversible = r.HomeMarkings = Known(true);
        r.HomeMarkingCount = g.StateCount();
        r.HomeMarking = g.MarkingOf(0);
        return;
    }
    TComponentSummary c;
    if (!FindComponents(g, limits, c, &reason)) {
        const QString stopped = QStringLiteral("поиск компонент сильной связности не завершён: ") + reason;
        r.StopReason = reason;
        r.Live = r.Reversible = r.HomeMarkings = Unknown(stopped);
        if (g.DeadCount > 0) {
            r.TransitionLive.fill(TVerdict::No);
            r.Live = transitions > 0 ? Known(false) : r.Live;
            r.Reversible = g.FirstDead != 0 ? Known(false) : r.Reversible;
        }
        return;
    }
    r.MemoryBytes = std::max<qint64>(r.MemoryBytes, g.MemoryBytes() + c.PeakMemoryBytes);
    bool live = true;
    for (int t = 0; t < transitions; ++t) {
        const bool yes = c.BottomsWith[t] == c.Bottoms;
        r.TransitionLive[t] = yes ? TVerdict::Yes : TVerdict::No;
        live = live && yes;
    }
    r.Live = Known(live);
    r.Reversible = Known(c.Components == 1);
    r.HomeMarkings = Known(c.Bottoms == 1);
    if (c.Bottoms == 1) {
        r.HomeMarkingCount = c.FirstBottomSize;
        r.HomeMarking = g.MarkingOf(c.FirstBottomNearest);
        r.HomePath = g.PathTo(c.FirstBottomNearest);
    }
}

void KeepGraph(TAnalysisResult &r, const TReachability &g, int limit)
{
    TStateGraph &graph = r.Graph;
    graph.Coverability = false;
    if (g.StateCount() > limit || g.Expanded < g.StateCount())
        return;
    graph.Kept = true;
    std::vector<int32_t> marking(size_t(g.Net.PlaceCount()) + 1), enabled;
    std::vector<uint8_t> scratch;
    for (int64_t s = 0; s < g.StateCount(); ++s) {
        graph.Markings << g.MarkingOf(s);
        graph.Parent << (s == 0 ? -1 : qint32(g.Parent[s]));
        graph.ParentTransition << (s == 0 ? -1 : qint32(g.ParentTransition[s]));
        g.Store.Unpack(s, marking.data());
        g.Net.EnabledIn(marking.data(), enabled);
        for (int32_t t : enabled)
            graph.Edges << TStateGraph::TEdge{qint32(s), qint32(g.Target(s, marking.data(), t, scratch)), t};
    }
}

// Properties of an unbounded net from its coverability graph.
void FromCoverability(TAnalysisResult &r, const TCoverability &g, bool complete)
{
    const int places = g.Places;
    const int transitions = g.Net.TransitionCount();
    r.Coverability = true;
    r.States = g.NodeCount();
    r.Firings = qint64(g.Edges.size());
    std::vector<int64_t> bounds(size_t(places), 0);
    std::vector<bool> hasOut(size_t(g.NodeCount()), false), fired(size_t(transitions), false);
    for (int64_t v = 0; v < g.NodeCount(); ++v)
        for (int p = 0; p < places; ++p)
            bounds[p] = std::max(bounds[p], g.Marking(v)[p]);
    for (const auto &e : g.Edges) {
        hasOut[e[0]] = true;
        fired[e[2]] = true;
    }
    int64_t maxTotal = 0;
    for (int64_t v = 0; v < g.NodeCount(); ++v) {
        int64_t total = 0;
        for (int p = 0; p < places; ++p)
            total = total == Omega || g.Marking(v)[p] == Omega ? Omega : total + g.Marking(v)[p];
        maxTotal = std::max(maxTotal, total);
    }
    NoteBounds(r, bounds, maxTotal);
    // Unbounded places show up as ω even when the graph is cut short.
    const QString why = QStringLiteral("граф покрытия не достроен: ") + r.StopReason;
    r.Bounded = !r.UnboundedPlaces.isEmpty() ? Known(false) : complete ? Known(true) : Unknown(why);
    r.Safe = r.MaxTokensPlace > 1 ? Known(false) : complete ? Known(true) : Unknown(why);

    // A dead node is dead whatever its ω counts stand for; ω-free ones are real markings.
    int64_t firstDead = -1, firstExactDead = -1;
    for (int64_t v = 0; v < g.Expanded; ++v) {
        if (hasOut[v])
            continue;
        ++r.DeadlockCount;
        if (firstDead < 0)
            firstDead = v;
        const int64_t *m = g.Marking(v);
        if (firstExactDead < 0 && std::find(m, m + places, Omega) == m + places)
            firstExactDead = v;
    }
    const QString undecided = QStringLiteral("сеть не ограничена, а граф покрытия этого не решает");
    if (firstDead >= 0) {
        r.Deadlocks = Known(true);
        const int64_t shown = firstExactDead >= 0 ? firstExactDead : firstDead;
        r.DeadlockMarking = g.MarkingOf(shown);
        if (firstExactDead >= 0)
            for (int64_t s = firstExactDead; s > 0; s = g.Parent[s])
                r.DeadlockPath.prepend(g.ParentTransition[s]);
    } else {
        r.Deadlocks = Unknown(complete ? undecided : why);
    }
    r.TransitionDead.fill(TVerdict::Unknown, transitions);
    r.TransitionLive.fill(firstDead >= 0 ? TVerdict::No : TVerdict::Unknown, transitions);
    bool anyDead = false;
    for (int t = 0; t < transitions; ++t) {
        if (fired[t] || complete)
            r.TransitionDead[t] = fired[t] ? TVerdict::No : TVerdict::Yes;
        if (r.TransitionDead[t] == TVerdict::Yes) {
            r.TransitionLive[t] = TVerdict::No;
            anyDead = true;
        }
    }
    r.Live = (firstDead >= 0 && transitions > 0) || anyDead ? Known(false) : Unknown(complete ? undecided : why);
    r.Reversible = firstDead > 0 ? Known(false) : Unknown(complete ? undecided : why);
    r.HomeMarkings = Unknown(complete ? undecided : why);

}

void KeepCoverabilityGraph(TAnalysisResult &r, const TCoverability &g, int limit)
{
    TStateGraph &graph = r.Graph;
    graph.Coverability = true;
    if (g.NodeCount() > limit || g.Expanded < g.NodeCount())
        return;
    graph.Kept = true;
    for (int64_t v = 0; v < g.NodeCount(); ++v) {
        graph.Markings << g.MarkingOf(v);
        graph.Parent << g.Parent[v];
        graph.ParentTransition << g.ParentTransition[v];
    }
    for (const auto &e : g.Edges)
        graph.Edges << TStateGraph::TEdge{e[0], e[1], e[2]};
}

void AnalyseBehaviour(const TAnalysisNet &net, const TAnalysisOptions &options, const TSearchLimits &limits,
                      TAnalysisResult &r)
{
    const TFiringNet firing(net, options.SourceTransitionsFire);
    {
        limits.SetStage(TAnalysisStage::Reachability);
        TReachability g(firing, net.Marking, options.MaxStates);
        QString reason;
        const TReachability::TEnd end = g.Run(limits, &reason);
        if (end != TReachability::TEnd::Unbounded) {
            r.Complete = end == TReachability::TEnd::Complete;
            r.StopReason = reason;
            FromReachability(r, g, limits, r.Complete);
            if (!r.StopReason.isEmpty())
                r.Complete = false;
            KeepGraph(r, g, options.GraphLimit);
            return;
        }
        r.MemoryBytes = g.MemoryBytes();
    }
    // A marking strictly covers one on its own path: the net is unbounded.
    limits.SetStage(TAnalysisStage::Coverability);
    TCoverability g(firing, net.Marking);
    QString reason;
    r.Complete = g.Run(limits, &reason);
    r.StopReason = reason;
    FromCoverability(r, g, r.Complete);
    KeepCoverabilityGraph(r, g, options.GraphLimit);
}

} // namespace

TAnalysisResult AnalyseNet(const TAnalysisNet &net, const TAnalysisOptions &options)
{
    TAnalysisResult r;
    const TSearchLimits limits(options);
    QString error;
    if (!net.Check(&error)) {
        r.StopReason = error;
        return r;
    }
    if (options.Behaviour)
        AnalyseBehaviour(net, options, limits, r);
    else
        r.Complete = true;
    if (options.Structure) {
        limits.SetStage(TAnalysisStage::Invariants);
        r.Incidence = net.Incidence();
        const TStopCheck stop = [&limits] { return limits.Check(0); };
        r.PInvariants = PlaceInvariantsWithin(r.Incidence, net.TransitionCount(), options.MaxInvariantRows, stop);
        r.TInvariants = TransitionInvariantsWithin(r.Incidence, net.TransitionCount(), options.MaxInvariantRows, stop);
        // Covered by P-invariants means bounded from every start marking;
        // not covered leaves the question open (weaker y·C ≤ 0 may still hold).
        r.StructurallyBounded = r.PInvariants.Covered.IsYes()
                                    ? Known(true)
                                    : Unknown(QStringLiteral("не все позиции покрыты P-инвариантами"));
    }
    r.Seconds = limits.Seconds();
    limits.SetStage(TAnalysisStage::Done);
    return r;
}

bool TStateGraph::IsDead(int state) const
{
    for (const TEdge &e : Edges)
        if (e.From == state)
            return false;
    return true;
}

bool TStateGraph::IsExact(int state) const
{
    return !Markings.value(state).contains(Omega);
}

QList<int> TStateGraph::PathTo(int state) const
{
    QList<int> path;
    for (int s = state; s > 0 && s < Parent.size(); s = Parent[s])
        path.prepend(ParentTransition[s]);
    return path;
}

QList<int> TAnalysisResult::DeadTransitions() const
{
    QList<int> list;
    for (int t = 0; t < TransitionDead.size(); ++t)
        if (TransitionDead[t] == TVerdict::Yes)
            list << t;
    return list;
}

QList<int> TAnalysisResult::NonLiveTransitions() const
{
    QList<int> list;
    for (int t = 0; t < TransitionLive.size(); ++t)
        if (TransitionLive[t] == TVerdict::No)
            list << t;
    return list;
}
