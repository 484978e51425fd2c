#include "Analysis.h"

TAnalysisResult AnalyseNet(const TAnalysisNet &net, const TAnalysisOptions &)
{
    TAnalysisResult result;
    QString error;
    if (!net.Check(&error))
        result.StopReason = error;
    return result;
}
