#include "AnalysisJob.h"

#include "Analysis.h"

#include <QThread>

#include <new>

TAnalysisJob::TAnalysisJob(TAnalysisNet net, const TAnalysisOptions &options, QObject *parent)
    : QObject(parent)
    , AnalysedNet(std::move(net))
    , Options(options)
{
    Options.Cancel = &CancelFlag;
    Options.Progress = &Counters;
    Options.GraphLimit = qMin(Options.GraphLimit, DrawnStateLimit);
}

TAnalysisJob::~TAnalysisJob()
{
    if (Thread) {
        Cancel();
        Thread->wait();
    }
}

void TAnalysisJob::Start()
{
    if (Thread)
        return;
    Thread.reset(QThread::create([this] { Run(); }));
    Thread->setObjectName(QStringLiteral("Analysis"));
    // Queued to this object's thread: the result is read there only after the worker ended.
    connect(Thread.get(), &QThread::finished, this, &TAnalysisJob::ThreadFinished, Qt::QueuedConnection);
    Running = true;
    Clock.start();
    Thread->start(QThread::LowPriority);
}

void TAnalysisJob::Cancel()
{
    CancelFlag.store(true, std::memory_order_relaxed);
}

void TAnalysisJob::Run()
{
    try {
        Outcome = AnalyseNet(AnalysedNet, Options);
        // Graphviz cannot be interrupted: skip the layout once cancelled.
        const TStateGraph &graph = Outcome.Graph;
        if (graph.Kept && graph.StateCount() <= DrawnStateLimit && graph.Edges.size() <= DrawnEdgeLimit
            && AnalysedNet.PlaceCount() <= DrawnPlaceLimit && !IsCancelled())
            GraphDrawing = LayOutStateGraph(AnalysedNet, graph);
    } catch (const std::bad_alloc &) {
        // An exception must not leave the thread: it would end the program.
        Outcome = TAnalysisResult();
        Outcome.StopReason = QStringLiteral("Не хватило памяти для анализа.");
    }
}

void TAnalysisJob::ThreadFinished()
{
    Thread->wait();
    Running = false;
    emit Finished();
}
