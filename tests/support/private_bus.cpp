#include "private_bus.h"

#include <QDeadlineTimer>
#include <QThread>

PrivateBus::~PrivateBus()
{
    if (daemon_.state() == QProcess::NotRunning)
        return;
    daemon_.terminate();
    daemon_.waitForFinished(5000);
}

bool PrivateBus::start()
{
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!daemon_.waitForStarted(5000))
        return false;
    const QDeadlineTimer deadline(5000);
    while (!daemon_.canReadLine() && !deadline.hasExpired())
        daemon_.waitForReadyRead(100);
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    return !address_.isEmpty();
}
