#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

class QTimer;

// Keeps the screen from blanking while a movie plays.  It asks the desktop's
// screen saver (org.freedesktop.ScreenSaver) on the session bus; where that
// is missing, the desktop portal's Inhibit; where neither answers, it resets
// the X server's screen saver every little while.  Calls never wait for an
// answer, except release at exit, which makes sure the release has left.
class ScreenSaver : public QObject
{
    Q_OBJECT
public:
    enum class Way { None, ScreenSaverService, Portal, X11 };

    explicit ScreenSaver(QObject *parent = nullptr);
    ~ScreenSaver() override;

    // Another bus than the session bus (tests).
    void setBus(const QDBusConnection &bus);

    // Inhibits (true) or lets the screen saver be (false) from now on.
    void setInhibited(bool inhibited);
    // Lets the screen saver be and waits (briefly) until the desktop has
    // been told; for the end of the program.
    void releaseNow();

    // How the inhibition is held now; None when it is not.
    Way heldBy() const { return held_; }

signals:
    // The inhibition was taken or given back; for tests.
    void changed(ScreenSaver::Way heldBy);

private:
    void settle();
    void inhibitBy(Way way);
    void onInhibited(Way way, const QVariant &token);
    void release();
    void resetX11ScreenSaver();
    void flush();

    std::optional<QDBusConnection> bus_;
    bool wanted_ = false;
    bool asking_ = false;
    // A release went out that the bus may not have been given yet.
    bool unflushed_ = false;
    Way held_ = Way::None;
    // The screen saver's cookie (uint) or the portal's request handle.
    QVariant token_;
    QTimer *x11Reset_;
};
