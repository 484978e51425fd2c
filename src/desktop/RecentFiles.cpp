#include "RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace {

QString Key()
{
    return QStringLiteral("RecentFiles");
}

// Absolute and, where the file exists, canonical: one file is one entry.
QString Normal(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

TRecentFiles::TRecentFiles(QSettings &settings)
    : Settings(settings)
{
}

QStringList TRecentFiles::Files() const
{
    QStringList files = Settings.value(Key()).toStringList();
    files.removeAll(QString());
    files.removeDuplicates();
    return files.mid(0, MaxCount);
}

void TRecentFiles::Add(const QString &fileName)
{
    const QString name = Normal(fileName);
    QStringList files = Files();
    files.removeAll(name);
    files.prepend(name);
    Store(files.mid(0, MaxCount));
}

void TRecentFiles::Remove(const QString &fileName)
{
    QStringList files = Files();
    files.removeAll(fileName);
    files.removeAll(Normal(fileName));
    Store(files);
}

void TRecentFiles::Store(const QStringList &files)
{
    Settings.setValue(Key(), files);
    Settings.sync();
}
