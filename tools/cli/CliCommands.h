#pragma once

#include <QStringList>

// The commands of petrinets-cli. Each takes the arguments after its own name
// and answers the process exit code: 0 every file done, 1 a file refused or
// not written, 2 wrong usage. Results go to standard output, messages to
// standard error.
int ConvertCommand(const QStringList &args);
int RenderCommand(const QStringList &args);
int InfoCommand(const QStringList &args);
int SampleCommand(const QStringList &args);

// Writes a Russian message to standard error; \r\n of the window texts becomes a space.
void PrintError(const QString &command, const QString &message);
