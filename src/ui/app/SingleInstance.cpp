#include "SingleInstance.h"

#include "InstanceMessage.h"

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

QByteArray TSingleInstance::Marker()
{
    return InstanceMessage::Marker();
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
        // The message is read as it arrives; an old-style sender writes the
        // marker alone and may stay connected, a newer one closes after its line.
        auto check = [this, socket](bool finished) {
            if (socket->property("Woken").toBool())
                return;
            const QByteArray received = socket->property("Received").toByteArray() + socket->readAll();
            socket->setProperty("Received", received);
            const InstanceMessage::TRequest request = InstanceMessage::Decode(received, finished);
            if (request.State == InstanceMessage::TState::Incomplete)
                return;
            socket->setProperty("Woken", true);
            socket->setProperty("Received", QByteArray());
            if (request.State == InstanceMessage::TState::Invalid)
                return;
            emit WakeUpRequested();
            if (request.State == InstanceMessage::TState::Files)
                emit FilesRequested(request.Files);
        };
        connect(socket, &QLocalSocket::readyRead, this, [check] { check(false); });
        connect(socket, &QLocalSocket::disconnected, this, [check, socket] {
            check(true);
            socket->deleteLater();
        });
        check(socket->state() != QLocalSocket::ConnectedState);
    }
}

bool TSingleInstance::WakeRunningInstance(const QString &key, int timeoutMs, const QStringList &files)
{
    // The running instance may have taken the lock a moment before it listens.
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(key);
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
            socket.write(InstanceMessage::Encode(QDir::currentPath(), files));
            const bool written = socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
            socket.disconnectFromServer();
            return written;
        }
        QThread::msleep(50);
    }
    return false;
}
