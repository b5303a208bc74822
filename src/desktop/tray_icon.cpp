#include "desktop/tray_icon.h"
#include "desktop/desktop_log.h"

#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <utility>

TrayIcon::TrayIcon(QWidget &window, QMenu &menu, QObject *parent)
    : QObject(parent), window_(window), menu_(menu), icon_(new QSystemTrayIcon(this))
{
    icon_->setObjectName("trayIcon");
    icon_->setToolTip("Sazanami");
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick)
                    toggleWindow();
                else if (reason == QSystemTrayIcon::Context)
                    popUpMenu();
            });
    window_.installEventFilter(this);
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setHideOnMinimise(std::function<bool()> wanted)
{
    hideOnMinimise_ = std::move(wanted);
}

void TrayIcon::setBeforeMenu(std::function<void()> prepare)
{
    beforeMenu_ = std::move(prepare);
}

void TrayIcon::popUpMenu()
{
    if (beforeMenu_)
        beforeMenu_();
    menu_.popup(QCursor::pos());
}

void TrayIcon::show()
{
    icon_->setIcon(window_.windowIcon());
    icon_->show();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        qCInfo(lcDesktop) << "no notification area: the window stays in the task bar";
}

void TrayIcon::remove()
{
    icon_->hide();
}

bool TrayIcon::isShown() const
{
    return icon_->isVisible();
}

void TrayIcon::toggleWindow()
{
    if (window_.isVisible() && !window_.isMinimized()) {
        window_.hide();
        return;
    }
    restoring_ = window_.isMinimized();
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    window_.raise();
    window_.activateWindow();
}

bool TrayIcon::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &window_)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::WindowActivate)
        restoring_ = false;
    if (event->type() != QEvent::WindowStateChange || !window_.isMinimized())
        return QObject::eventFilter(watched, event);
    // A window brought back from the icon may first be mapped as the icon it
    // was (the window manager keeps the hidden state of a window withdrawn
    // while minimised): that is no minimising of the user's.
    if (std::exchange(restoring_, false)) {
        QTimer::singleShot(0, &window_, &QWidget::showNormal);
        return QObject::eventFilter(watched, event);
    }
    if (hideOnMinimise_ && hideOnMinimise_())
        // After the window system has finished minimising.
        QTimer::singleShot(0, this, &TrayIcon::hideToTray);
    return QObject::eventFilter(watched, event);
}

void TrayIcon::hideToTray()
{
    // Without a notification area a hidden window could not be brought back.
    if (!window_.isMinimized() || !isShown() || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    // Withdrawn as it is, still minimised: taking the state back now would
    // map the hidden window again, an empty frame on the screen.  It comes
    // back as a normal window when shown from the icon.
    window_.hide();
}
