#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <memory>

// At most one running instance per user: the first start holds a lock file
// and listens on a local socket; a later start sends the wake-up marker,
// followed by the files it was given, to that socket and ends.
class TSingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit TSingleInstance(const QString &key = DefaultKey(), QObject *parent = nullptr);
    ~TSingleInstance() override;

    static QString DefaultKey();
    static QByteArray Marker();
    // True when this process now is the running instance.
    bool Claim();
    // Tells the running instance that the program was started again, and
    // which files to open (relative names are taken from this process's folder).
    static bool WakeRunningInstance(const QString &key = DefaultKey(), int timeoutMs = 3000,
                                    const QStringList &files = {});
    QString Key() const { return Name; }

signals:
    void WakeUpRequested();
    // Absolute paths; the running instance opens them after waking up.
    void FilesRequested(const QStringList &files);

private:
    void AcceptConnection();

    QString Name;
    std::unique_ptr<QLockFile> Lock;
    QLocalServer Server;
};
