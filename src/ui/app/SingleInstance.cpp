#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

TSingleInstance::TSingleInstance(const QString &key, QObject *parent)
    : QObject(parent)
    , Name(key)
{
    connect(&Server, &QLocalServer::newConnection, this, &TSingleInstance::AcceptConnection);
}

TSingleInstance::~TSingleInstance()
{
    Server.close();
    if (Lock)
        Lock->unlock();
}

QString TSingleInstance::DefaultKey()
{
    QString user;
#ifdef Q_OS_UNIX
    user = QString::number(::getuid());
#else
    user = qEnvironmentVariable("USERNAME");
#endif
    return QStringLiteral("QVANTRIXAPPENTRY-") + user;
}

bool TSingleInstance::Claim()
{
    Lock = std::make_unique<QLockFile>(QDir::temp().filePath(Name + QStringLiteral(".lock")));
    // A lock left by a crashed instance is recognised as stale and taken over.
    if (!Lock->tryLock(0)) {
        Lock.reset();
        return false;
    }
    QLocalServer::removeServer(Name);
    Server.setSocketOptions(QLocalServer::UserAccessOption);
    Server.listen(Name);
    return true;
}

void TSingleInstance::AcceptConnection()
{
    while (QLocalSocket *socket = Server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto check = [this, socket] {
            if (socket->property("Woken").toBool())
                return;
            if (socket->peek(64).contains(Marker())) {
                socket->setProperty("Woken", true);
                socket->readAll();
                emit WakeUpRequested();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, check);
        check();
    }
}

bool TSingleInstance::WakeRunningInstance(const QString &key, int timeoutMs)
{
    // The running instance may have taken the lock a moment before it listens.
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(key);
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
            socket.write(Marker());
            const bool written = socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
            socket.disconnectFromServer();
            return written;
        }
        QThread::msleep(50);
    }
    return false;
}
