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

QRect keptOnScreen(QRect window)
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return window;
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    return window_geometry::keptOnScreens(window, screens, primary->availableGeometry());
}
