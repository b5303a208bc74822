#include "window/screen_metrics.h"

#include "base/window_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <cmath>

ScreenMetrics ScreenMetrics::measure(const QWidget &window)
{
    ScreenMetrics metrics;
    const int dpiX = window.logicalDpiX();
    const int dpiY = window.logicalDpiY();
    if (dpiX > 0)
        metrics.TwipsPerPixelX = int(std::lround(1440.0 / dpiX));
    if (dpiY > 0)
        metrics.TwipsPerPixelY = int(std::lround(1440.0 / dpiY));
    const QStyle *style = window.style();
    metrics.captionHeight = style->pixelMetric(QStyle::PM_TitleBarHeight) * metrics.TwipsPerPixelY;
    const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    metrics.frameWidth = frame * metrics.TwipsPerPixelX;
    metrics.frameHeight = frame * metrics.TwipsPerPixelY;
    return metrics;
}

QRect keptOnScreen(QRect window, QMargins frame)
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return window;
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    return window_geometry::keptOnScreens(window, screens, primary->availableGeometry(), frame);
}

QMargins expectedFrame(const ScreenMetrics &metrics)
{
    const int tx = qMax(1, metrics.TwipsPerPixelX);
    const int ty = qMax(1, metrics.TwipsPerPixelY);
    const int side = metrics.frameWidth / tx;
    const int edge = metrics.frameHeight / ty;
    return QMargins(side, metrics.captionHeight / ty + edge, side, edge);
}

void keepFrameOnScreen(QWidget &window)
{
    if (window.windowState() != Qt::WindowNoState)
        return;
    const QRect inner = window.geometry();
    const QRect frame = window.frameGeometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                           frame.right() - inner.right(), frame.bottom() - inner.bottom());
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QRect placed =
        window_geometry::titleBarOnScreen(keptOnScreen(inner, margins), screens, margins);
    if (placed != inner)
        window.setGeometry(placed);
}
