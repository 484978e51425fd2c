#include "RecoveryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>

namespace {

constexpr qint64 MaxDocumentSize = qint64(1) << 30;

bool WriteAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool IsId(const QString &id)
{
    return !id.isEmpty() && std::all_of(id.begin(), id.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('-');
    });
}

} // namespace

TRecoveryStore::TRecoveryStore(const QString &folder)
    : Dir(folder)
{
}

QString TRecoveryStore::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/recovery");
}

QString TRecoveryStore::NewId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString TRecoveryStore::DataPath(const QString &id) const
{
    return Dir + QLatin1Char('/') + id + QStringLiteral(".net");
}

QString TRecoveryStore::InfoPath(const QString &id) const
{
    return Dir + QLatin1Char('/') + id + QStringLiteral(".json");
}

bool TRecoveryStore::Write(const TRecoveryEntry &entry, const QByteArray &document)
{
    if (!IsId(entry.Id) || !QDir().mkpath(Dir))
        return false;
    QJsonObject info;
    info[QStringLiteral("file")] = entry.FileName;
    info[QStringLiteral("title")] = entry.Title;
    info[QStringLiteral("format")] = entry.Format;
    info[QStringLiteral("time")] = (entry.Time.isValid() ? entry.Time : QDateTime::currentDateTime())
                                       .toString(Qt::ISODateWithMs);
    return WriteAtomically(DataPath(entry.Id), document)
           && WriteAtomically(InfoPath(entry.Id), QJsonDocument(info).toJson(QJsonDocument::Compact));
}

void TRecoveryStore::Remove(const QString &id)
{
    if (!IsId(id))
        return;
    // The description goes first: without it the copy no longer counts.
    QFile::remove(InfoPath(id));
    QFile::remove(DataPath(id));
}

QList<TRecoveryEntry> TRecoveryStore::Entries() const
{
    QList<TRecoveryEntry> entries;
    const QStringList infos = QDir(Dir).entryList({QStringLiteral("*.json")}, QDir::Files);
    for (const QString &name : infos) {
        TRecoveryEntry entry;
        entry.Id = name.chopped(5);
        QFile file(InfoPath(entry.Id));
        if (!IsId(entry.Id) || !QFileInfo(DataPath(entry.Id)).isFile() || file.size() > 1 << 20
            || !file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject info = QJsonDocument::fromJson(file.readAll()).object();
        entry.FileName = info.value(QStringLiteral("file")).toString();
        entry.Title = info.value(QStringLiteral("title")).toString();
        entry.Format = info.value(QStringLiteral("format")).toString();
        entry.Time = QDateTime::fromString(info.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
        if (entry.Title.isEmpty() || !entry.Time.isValid())
            continue;
        entries.append(entry);
    }
    std::sort(entries.begin(), entries.end(),
              [](const TRecoveryEntry &a, const TRecoveryEntry &b) { return a.Time < b.Time; });
    return entries;
}

QByteArray TRecoveryStore::Document(const QString &id) const
{
    QFile file(DataPath(id));
    if (!IsId(id) || file.size() > MaxDocumentSize || !file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
