#include "app/termination_signals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

int g_signalSocket[2] = {-1, -1};

void forwardSignal(int signalNumber)
{
    // Only async-signal-safe work here: hand the number to the event loop.
    const char byte = char(signalNumber);
    [[maybe_unused]] ssize_t written = ::write(g_signalSocket[0], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSocket) != 0)
        return;
    notifier_ = new QSocketNotifier(g_signalSocket[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);

    struct sigaction action = {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        std::signal(number, SIG_DFL);
    if (g_signalSocket[0] >= 0) {
        ::close(g_signalSocket[0]);
        ::close(g_signalSocket[1]);
        g_signalSocket[0] = g_signalSocket[1] = -1;
    }
}

void TerminationSignals::readSignal()
{
    char byte = 0;
    if (::read(g_signalSocket[1], &byte, 1) == 1)
        emit received(int(byte));
}
