#pragma once

#include <QStringList>

// petrinets-cli analyse FILE... [--json] [--max-states N] [--timeout S]
// args: what follows the word "analyse". Writes one block (or JSON object)
// per file to standard output. Answers the process exit code: 0 every file
// analysed, 1 a file refused, 2 wrong usage.
int AnalyseCommand(const QStringList &args);
