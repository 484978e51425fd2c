#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// What a recovery copy remembers of its document besides the net itself.
struct TRecoveryEntry
{
    QString Id;
    QString FileName;   // the document's own file, empty for an untitled net
    QString Title;      // the window's title when the copy was written
    QString Format;     // "qvx" or "pnml": how Save writes the original file
    QDateTime Time;
};

// A folder of recovery copies of unsaved documents. Each copy is two files
// written atomically: the document bytes, then a small JSON description; a
// copy counts only when both are there, so a crash between them loses
// nothing but that one copy.
class TRecoveryStore
{
public:
    explicit TRecoveryStore(const QString &folder = DefaultFolder());
    // <user's data location>/recovery
    static QString DefaultFolder();
    QString Folder() const { return Dir; }

    // A fresh id for a document of this process.
    static QString NewId();
    bool Write(const TRecoveryEntry &entry, const QByteArray &document);
    void Remove(const QString &id);
    // Every complete copy, oldest first; damaged ones are skipped.
    QList<TRecoveryEntry> Entries() const;
    // The document bytes of a copy (empty when it is gone).
    QByteArray Document(const QString &id) const;

private:
    QString DataPath(const QString &id) const;
    QString InfoPath(const QString &id) const;

    QString Dir;
};
