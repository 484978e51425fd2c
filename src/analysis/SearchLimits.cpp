#include "SearchLimits.h"

TSearchLimits::TSearchLimits(const TAnalysisOptions &options)
    : Options(options)
{
    Clock.start();
}

QString TSearchLimits::Check(qint64 memoryBytes) const
{
    if (Options.Cancel && Options.Cancel->load(std::memory_order_relaxed))
        return QStringLiteral("анализ прерван");
    if (Options.MaxMemoryBytes > 0 && memoryBytes > Options.MaxMemoryBytes)
        return QStringLiteral("превышен предел памяти (%1 МБ)").arg(Options.MaxMemoryBytes >> 20);
    if (Options.MaxSeconds > 0 && Seconds() > Options.MaxSeconds)
        return QStringLiteral("истекло время (%1 с)").arg(Options.MaxSeconds);
    return {};
}

QString TSearchLimits::StateLimitText(qint64 limit) const
{
    return QStringLiteral("достигнут предел числа состояний (%1)").arg(limit);
}

void TSearchLimits::Report(qint64 states, qint64 firings) const
{
    if (!Options.Progress)
        return;
    Options.Progress->States.store(states, std::memory_order_relaxed);
    Options.Progress->Firings.store(firings, std::memory_order_relaxed);
}

void TSearchLimits::SetStage(TAnalysisStage stage) const
{
    if (Options.Progress)
        Options.Progress->Stage.store(int(stage), std::memory_order_relaxed);
}
