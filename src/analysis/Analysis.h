#pragma once
// Analysis of a net: state space, behavioural properties and invariants.
// No widgets: the window runs AnalyseNet in a worker thread, the command line
// runs it directly.

#include "AnalysisNet.h"
#include "AnalysisResult.h"

#include <QJsonObject>

// Analyses the net from its start marking. Reentrant: analyses of different
// nets may run at once in different threads. Stops early (Complete false,
// StopReason set) on a limit of the options or when *options.Cancel is set;
// what it answers then holds, and what it could not decide is Unknown.
// A net that Check() refuses yields Complete false with the refusal as StopReason.
TAnalysisResult AnalyseNet(const TAnalysisNet &net, const TAnalysisOptions &options = {});

// The minimal generating set of semi-positive P-invariants (x·C = 0, x ≥ 0)
// or T-invariants (C·x = 0, x ≥ 0) of an incidence matrix [place][transition].
TInvariantSet PlaceInvariants(const QList<QList<qint64>> &incidence, int maxRows = 20'000,
                              const std::atomic<bool> *cancel = nullptr);
TInvariantSet TransitionInvariants(const QList<QList<qint64>> &incidence, int maxRows = 20'000,
                                   const std::atomic<bool> *cancel = nullptr);

// "(1, 0, ω)": a marking in the form the state tree shows.
QString MarkingText(const QList<qint64> &marking);
// "Переход1, Переход2": transition names of a firing sequence.
QString PathText(const TAnalysisNet &net, const QList<int> &path);
// "да", "нет" or "не определено".
QString VerdictText(TVerdict verdict);
// The whole result as Russian text, one property per line with its evidence.
QString AnalysisReportText(const TAnalysisNet &net, const TAnalysisResult &result);
// The result under the stable English keys documented in the README.
QJsonObject AnalysisReportJson(const TAnalysisNet &net, const TAnalysisResult &result);
