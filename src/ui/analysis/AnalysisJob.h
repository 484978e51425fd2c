#pragma once
// One run of the analysis in a worker thread. The job owns a copy of the net,
// so the document may change or close while it runs; Cancel() stops it soon
// and the destructor waits for the thread, so nothing outlives the job.

#include "AnalysisNet.h"
#include "AnalysisResult.h"
#include "StateGraphScene.h"

#include <QElapsedTimer>
#include <QObject>

#include <atomic>
#include <memory>

class QThread;

class TAnalysisJob : public QObject
{
    Q_OBJECT
public:
    // Graphs up to this many states and firings are kept and drawn (Graphviz
    // needs seconds for a thousand firings), and only while a marking fits a box.
    static constexpr int DrawnStateLimit = 300;
    static constexpr int DrawnEdgeLimit = 1000;
    static constexpr int DrawnPlaceLimit = 100;

    TAnalysisJob(TAnalysisNet net, const TAnalysisOptions &options, QObject *parent = nullptr);
    ~TAnalysisJob() override;

    void Start();
    // Asks the worker to stop; Finished follows soon with what was found so far.
    void Cancel();
    bool IsRunning() const { return Running; }
    bool IsCancelled() const { return CancelFlag.load(std::memory_order_relaxed); }

    const TAnalysisNet &Net() const { return AnalysedNet; }
    const TAnalysisProgress &Progress() const { return Counters; }
    qint64 ElapsedMs() const { return Clock.isValid() ? Clock.elapsed() : 0; }
    // Valid once Finished was emitted.
    const TAnalysisResult &Result() const { return Outcome; }
    const TStateGraphDrawing &Drawing() const { return GraphDrawing; }

signals:
    void Finished();

private:
    void Run();
    void ThreadFinished();

    TAnalysisNet AnalysedNet;
    TAnalysisOptions Options;
    std::atomic<bool> CancelFlag{false};
    TAnalysisProgress Counters;
    TAnalysisResult Outcome;
    TStateGraphDrawing GraphDrawing;
    QElapsedTimer Clock;
    std::unique_ptr<QThread> Thread;
    bool Running = false;
};
