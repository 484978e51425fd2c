#pragma once
// The Farkas method under the analysis's own limits.

#include "AnalysisResult.h"

#include <functional>

// Answers why to stop (Russian), or an empty text to go on.
using TStopCheck = std::function<QString()>;

// As PlaceInvariants and TransitionInvariants, with the transition count
// given (a net without places still has transitions) and any stop rule.
TInvariantSet PlaceInvariantsWithin(const QList<QList<qint64>> &incidence, int transitions, int maxRows,
                                    const TStopCheck &stop);
TInvariantSet TransitionInvariantsWithin(const QList<QList<qint64>> &incidence, int transitions, int maxRows,
                                         const TStopCheck &stop);
