#pragma once
// What goes into an analysis besides the net (options, progress, cancellation)
// and what comes out of it (properties with their evidence, graph, invariants).

#include <QList>
#include <QString>

#include <atomic>
#include <limits>

// A token count in a marking of the coverability graph that grows without
// bound (ω). Never a real count: real counts are 32-bit.
constexpr qint64 Omega = std::numeric_limits<qint64>::max();

// Stage of a running analysis, for the progress line.
enum class TAnalysisStage : int {
    Idle,
    Reachability,   // explicit search of the reachability graph
    Coverability,   // Karp–Miller search after unboundedness was found
    Components,     // strongly connected components: liveness, reversibility
    Invariants,     // Farkas over the incidence matrix
    Done,
};

// Read from any thread while the analysis runs (relaxed loads are enough:
// the figures are for display only).
struct TAnalysisProgress
{
    std::atomic<qint64> States{0};
    std::atomic<qint64> Firings{0};
    std::atomic<int> Stage{int(TAnalysisStage::Idle)};
};

struct TAnalysisOptions
{
    qint64 MaxStates = 10'000'000;          // reachability graph states
    qint64 MaxCoverabilityNodes = 200'000;  // coverability graph nodes
    qint64 MaxMemoryBytes = qint64(2) << 30;
    double MaxSeconds = 0;                  // 0: no time limit
    int MaxInvariantRows = 20'000;          // intermediate rows of the Farkas method
    int GraphLimit = 500;                   // graphs up to this many states are kept for drawing
    int Threads = 1;                        // workers sharing each large search level (0: one per core); same result
    bool Behaviour = true;                  // state space and its properties
    bool Structure = true;                  // incidence matrix and invariants
    // Transitions without input places are never enabled in the token game;
    // set this for the textbook rule, under which they are always enabled.
    bool SourceTransitionsFire = false;
    const std::atomic<bool> *Cancel = nullptr;  // set from any thread to stop soon
    TAnalysisProgress *Progress = nullptr;      // updated while running when set
};

enum class TVerdict { No, Yes, Unknown };

// A yes/no answer that may be unknown; Reason (Russian) says why when unknown.
struct TAnswer
{
    TVerdict Value = TVerdict::Unknown;
    QString Reason;

    bool IsYes() const { return Value == TVerdict::Yes; }
    bool IsNo() const { return Value == TVerdict::No; }
    bool IsKnown() const { return Value != TVerdict::Unknown; }
};

// The reachability graph (Coverability false) or the Karp–Miller coverability
// graph (Coverability true) of a net, kept whole when small enough to draw.
struct TStateGraph
{
    struct TEdge
    {
        qint32 From = 0;
        qint32 To = 0;
        qint32 Transition = 0;
    };

    bool Coverability = false;
    bool Kept = false;                  // false: too many states, only the figures exist
    QList<QList<qint64>> Markings;      // per state, one count per place (Omega for ω)
    QList<TEdge> Edges;                 // one per firing, grouped by From
    QList<qint32> Parent;               // per state: the state it was first reached from (-1 at the start)
    QList<qint32> ParentTransition;     // per state: the transition of that first firing (-1 at the start)
    int Start = 0;

    int StateCount() const { return int(Markings.size()); }
    // Whether no transition is enabled in the state.
    bool IsDead(int state) const;
    // Whether the state has no ω, so its path is a real firing sequence.
    bool IsExact(int state) const;
    // The shortest firing sequence (transition indices) from the start to the state.
    QList<int> PathTo(int state) const;
};

// A minimal generating set of semi-positive invariants.
struct TInvariantSet
{
    bool Complete = false;              // false: Reason says why the set is cut short
    QString Reason;
    QList<QList<qint64>> Vectors;       // each one weight per place (P) or transition (T)
    TAnswer Covered;                    // every place (transition) lies in some invariant's support
    QList<int> Uncovered;               // places (transitions) in no invariant's support
};

struct TAnalysisResult
{
    // Search.
    bool Complete = false;              // the whole state space was searched
    QString StopReason;                 // Russian: which limit stopped the search, or the refusal
    bool Coverability = false;          // the graph below is a coverability graph (ω)
    qint64 States = 0;
    qint64 Firings = 0;                 // pairs of a reachable marking and a transition enabled in it
    double Seconds = 0;
    qint64 MemoryBytes = 0;             // peak memory of the search
    int BytesPerMarking = 0;            // packed marking size in the final layout

    // Boundedness.
    TAnswer Bounded;
    TAnswer Safe;
    QList<int> UnboundedPlaces;
    QList<qint64> PlaceBounds;          // per place: the largest count seen (Omega for ω)
    qint64 MaxTokensPlace = 0;          // the largest of PlaceBounds (Omega when unbounded)
    qint64 MaxTokensMarking = 0;        // the largest total of one marking (Omega when unbounded)

    // Deadlocks.
    TAnswer Deadlocks;                  // Yes: there is a dead marking
    qint64 DeadlockCount = 0;           // dead markings found
    QList<int> DeadlockPath;            // shortest firing sequence to one of them (transition indices)
    QList<qint64> DeadlockMarking;

    // Transitions.
    QList<TVerdict> TransitionDead;     // per transition: never enabled in any reachable marking
    QList<TVerdict> TransitionLive;     // per transition: enabled again from every reachable marking
    TAnswer Live;                       // every transition live
    TAnswer Reversible;                 // the start reachable from every reachable marking
    TAnswer HomeMarkings;               // some marking is reachable from every reachable marking
    qint64 HomeMarkingCount = 0;
    QList<qint64> HomeMarking;          // one of them (the nearest to the start)
    QList<int> HomePath;                // shortest firing sequence to it

    TStateGraph Graph;

    // Structure.
    QList<QList<qint64>> Incidence;     // [place][transition] = post - pre
    TInvariantSet PInvariants;
    TInvariantSet TInvariants;
    TAnswer StructurallyBounded;        // covered by P-invariants

    QList<int> DeadTransitions() const;     // those known to be dead
    QList<int> NonLiveTransitions() const;  // those known not to be live
};
