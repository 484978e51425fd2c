#include "InstanceMessage.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace InstanceMessage {

namespace {
constexpr qsizetype MaxMessage = 4 << 20;
}

QByteArray Marker()
{
    return QByteArrayLiteral("?Qvantrix?");
}

QByteArray Encode(const QString &workingDir, const QStringList &files)
{
    if (files.isEmpty())
        return Marker();
    QJsonObject body;
    body[QStringLiteral("cwd")] = workingDir;
    body[QStringLiteral("files")] = QJsonArray::fromStringList(files);
    return Marker() + '\n' + QJsonDocument(body).toJson(QJsonDocument::Compact) + '\n';
}

TRequest Decode(const QByteArray &received, bool finished)
{
    TRequest request;
    const qsizetype at = received.indexOf(Marker());
    if (at < 0) {
        request.State = finished || received.size() > MaxMessage ? TState::Invalid : TState::Incomplete;
        return request;
    }
    const QByteArray rest = received.mid(at + Marker().size());
    if (!rest.startsWith('\n')) {
        // An old-style wake-up: the marker alone.
        request.State = rest.isEmpty() && !finished ? TState::Incomplete : TState::WakeUp;
        return request;
    }
    const qsizetype end = rest.indexOf('\n', 1);
    if (end < 0) {
        request.State = finished || rest.size() > MaxMessage ? TState::Invalid : TState::Incomplete;
        return request;
    }
    const QJsonObject body = QJsonDocument::fromJson(rest.mid(1, end - 1)).object();
    QStringList files;
    for (const QJsonValue &v : body.value(QStringLiteral("files")).toArray())
        if (v.isString() && !v.toString().isEmpty())
            files.append(v.toString());
    request.Files = ResolveFiles(body.value(QStringLiteral("cwd")).toString(), files);
    request.State = request.Files.isEmpty() ? TState::WakeUp : TState::Files;
    return request;
}

QStringList ResolveFiles(const QString &workingDir, const QStringList &files)
{
    const QDir dir(workingDir.isEmpty() ? QDir::currentPath() : workingDir);
    QStringList resolved;
    for (const QString &f : files)
        resolved.append(QDir::cleanPath(dir.absoluteFilePath(f)));
    return resolved;
}

} // namespace InstanceMessage
