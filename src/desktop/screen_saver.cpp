#include "desktop/screen_saver.h"
#include "desktop/desktop_log.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QTimer>
#include <xcb/xcb.h>

namespace
{

const char kReason[] = "動画を再生中";

// Well under the shortest screen-saver delay X servers are set to (a minute).
constexpr int kX11ResetMs = 30000;

QDBusMessage inhibitCall(ScreenSaver::Way way)
{
    if (way == ScreenSaver::Way::ScreenSaverService) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
            "org.freedesktop.ScreenSaver", "Inhibit");
        call << QStringLiteral("Sazanami") << QString::fromUtf8(kReason);
        return call;
    }
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop",
                                                       "/org/freedesktop/portal/desktop",
                                                       "org.freedesktop.portal.Inhibit", "Inhibit");
    // Flag 8: the session is not to be marked idle.
    call << QString() << 8u << QVariantMap{{"reason", QString::fromUtf8(kReason)}};
    return call;
}

QDBusMessage releaseCall(ScreenSaver::Way way, const QVariant &token)
{
    if (way == ScreenSaver::Way::ScreenSaverService) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
            "org.freedesktop.ScreenSaver", "UnInhibit");
        call << token.toUInt();
        return call;
    }
    // The portal holds the inhibition until its request is closed.
    return QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop",
                                          token.value<QDBusObjectPath>().path(),
                                          "org.freedesktop.portal.Request", "Close");
}

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

ScreenSaver::ScreenSaver(QObject *parent) : QObject(parent), x11Reset_(new QTimer(this))
{
    x11Reset_->setInterval(kX11ResetMs);
    connect(x11Reset_, &QTimer::timeout, this, &ScreenSaver::resetX11ScreenSaver);
}

ScreenSaver::~ScreenSaver()
{
    releaseNow();
}

void ScreenSaver::setBus(const QDBusConnection &bus)
{
    bus_ = bus;
}

void ScreenSaver::setInhibited(bool inhibited)
{
    if (inhibited == wanted_)
        return;
    wanted_ = inhibited;
    settle();
}

void ScreenSaver::releaseNow()
{
    wanted_ = false;
    release();
    // A release sent a moment ago (the movie closing at exit) must leave too.
    if (unflushed_)
        flush();
    unflushed_ = false;
}

// Brings what is held in line with what is wanted.  While a call is out, its
// answer decides.
void ScreenSaver::settle()
{
    if (asking_)
        return;
    if (wanted_ && held_ == Way::None) {
        if (!bus_)
            bus_ = QDBusConnection::sessionBus();
        inhibitBy(bus_->isConnected() ? Way::ScreenSaverService : Way::X11);
    } else if (!wanted_ && held_ != Way::None) {
        release();
    }
}

void ScreenSaver::inhibitBy(Way way)
{
    if (way == Way::X11) {
        if (!x11Connection()) {
            qCDebug(lcDesktop) << "no way to keep the screen saver off here";
            return;
        }
        resetX11ScreenSaver();
        x11Reset_->start();
        onInhibited(Way::X11, QVariant());
        return;
    }
    asking_ = true;
    auto *watcher = new QDBusPendingCallWatcher(bus_->asyncCall(inhibitCall(way)), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, way, watcher] {
        watcher->deleteLater();
        asking_ = false;
        const QDBusMessage reply = watcher->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            onInhibited(way, reply.arguments().first());
            return;
        }
        qCDebug(lcDesktop) << "screen saver not inhibited by" << int(way) << reply.errorMessage();
        inhibitBy(way == Way::ScreenSaverService ? Way::Portal : Way::X11);
    });
}

void ScreenSaver::onInhibited(Way way, const QVariant &token)
{
    held_ = way;
    token_ = token;
    qCDebug(lcDesktop) << "screen saver inhibited by" << int(way);
    emit changed(held_);
    // Playback may have stopped while the desktop was being asked.
    settle();
}

void ScreenSaver::release()
{
    if (held_ == Way::None)
        return;
    if (held_ == Way::X11)
        x11Reset_->stop();
    else
        unflushed_ = bus_->send(releaseCall(held_, token_));
    held_ = Way::None;
    token_ = QVariant();
    qCDebug(lcDesktop) << "screen saver released";
    emit changed(held_);
}

void ScreenSaver::resetX11ScreenSaver()
{
    if (xcb_connection_t *connection = x11Connection()) {
        xcb_force_screen_saver(connection, XCB_SCREEN_SAVER_RESET);
        xcb_flush(connection);
    }
}

// Messages leave a connection in order: once a call sent after them has been
// answered, they are out.
void ScreenSaver::flush()
{
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping");
    bus_->call(ping, QDBus::Block, 1000);
}
