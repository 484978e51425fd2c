#include "AnalyseCommand.h"

#include <QTextStream>

int AnalyseCommand(const QStringList &)
{
    QTextStream(stderr) << "analyse: not available yet\n";
    return 2;
}
