#pragma once

#include <QStringList>

// petrinets-cli analyse FILE... [--json] [--max-states N] [--timeout S]
// Answers the process exit code (0 all analysed, 1 a file refused, 2 wrong usage).
int AnalyseCommand(const QStringList &args);
