#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <memory>

// At most one running instance per user: the first start holds a lock file
// and listens on a local socket; a later start only sends the wake-up marker
// to that socket and ends.
class TSingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit TSingleInstance(const QString &key = DefaultKey(), QObject *parent = nullptr);
    ~TSingleInstance() override;

    static QString DefaultKey();
    static QByteArray Marker() { return QByteArrayLiteral("?Qvantrix?"); }
    // True when this process now is the running instance.
    bool Claim();
    // Tells the running instance that the program was started again.
    static bool WakeRunningInstance(const QString &key = DefaultKey(), int timeoutMs = 3000);
    QString Key() const { return Name; }

signals:
    void WakeUpRequested();

private:
    void AcceptConnection();

    QString Name;
    std::unique_ptr<QLockFile> Lock;
    QLocalServer Server;
};
