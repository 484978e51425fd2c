#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int Pipe[2] = {-1, -1};
constexpr int Handled[] = {SIGTERM, SIGHUP, SIGINT};

// Runs in the signal handler: only an async-signal-safe write.
void WakeLoop(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(Pipe[0], &byte, 1);
}
} // namespace

TTerminationSignals::TTerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, Pipe) != 0)
        return;
    for (int fd : Pipe)
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    Notifier = new QSocketNotifier(Pipe[1], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TTerminationSignals::Readable);
    struct sigaction action = {};
    action.sa_handler = WakeLoop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : Handled)
        ::sigaction(s, &action, nullptr);
}

TTerminationSignals::~TTerminationSignals()
{
    for (int s : Handled)
        ::signal(s, SIG_DFL);
    delete Notifier;
    for (int &fd : Pipe)
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
}

void TTerminationSignals::Readable()
{
    char bytes[16];
    while (::read(Pipe[1], bytes, sizeof bytes) > 0) {
    }
    emit Requested();
}
