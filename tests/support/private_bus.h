#pragma once

#include <QProcess>
#include <QString>

// A session bus of the test's own: a dbus-daemon started for it and ended
// with it, so no test touches the desktop's bus.
class PrivateBus
{
public:
    ~PrivateBus();
    // Starts the daemon; false when it did not come up.
    bool start();
    QString address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};
