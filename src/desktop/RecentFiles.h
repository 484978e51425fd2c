#pragma once

#include <QStringList>

class QSettings;

// The files last opened or saved, newest first, kept in the settings.
class TRecentFiles
{
public:
    static constexpr int MaxCount = 8;

    explicit TRecentFiles(QSettings &settings);
    QStringList Files() const;
    // Puts the file first (once), dropping the oldest beyond MaxCount.
    void Add(const QString &fileName);
    void Remove(const QString &fileName);

private:
    void Store(const QStringList &files);

    QSettings &Settings;
};
