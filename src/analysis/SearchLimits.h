#pragma once
// The limits every search of the analysis watches: states, memory, time, cancel.

#include "AnalysisResult.h"

#include <QElapsedTimer>
#include <QString>

class TSearchLimits
{
public:
    explicit TSearchLimits(const TAnalysisOptions &options);

    const TAnalysisOptions &Options;
    // Why the analysis must stop now (Russian), or empty to go on.
    QString Check(qint64 memoryBytes) const;
    QString StateLimitText(qint64 limit) const;
    double Seconds() const { return double(Clock.nsecsElapsed()) / 1e9; }
    void Report(qint64 states, qint64 firings) const;
    void SetStage(TAnalysisStage stage) const;

private:
    QElapsedTimer Clock;
};
