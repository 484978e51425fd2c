#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the event loop, so the
// program can keep recovery copies of unsaved nets before it ends: a logout or
// a `kill` does not ask about them. Only one instance may exist at a time.
class TTerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TTerminationSignals(QObject *parent = nullptr);
    ~TTerminationSignals() override;

signals:
    void Requested();

private:
    void Readable();
    QSocketNotifier *Notifier = nullptr;
};
