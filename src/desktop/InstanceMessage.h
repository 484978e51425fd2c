#pragma once

#include <QByteArray>
#include <QStringList>

// What a second start tells the running instance: the wake-up marker alone,
// or the marker followed by one line of JSON with the files to open and the
// folder the second start ran in.
namespace InstanceMessage {

QByteArray Marker();
QByteArray Encode(const QString &workingDir, const QStringList &files);

enum class TState { Incomplete, WakeUp, Files, Invalid };
struct TRequest
{
    TState State = TState::Incomplete;
    QStringList Files; // absolute paths
};
// Reads what arrived so far; `finished` when the sender has closed.
TRequest Decode(const QByteArray &received, bool finished);
// Absolute path of each file, relative names taken from workingDir.
QStringList ResolveFiles(const QString &workingDir, const QStringList &files);

} // namespace InstanceMessage
