#include "base/window_geometry.h"

#include <algorithm>
#include <cmath>

namespace window_geometry
{

namespace
{

// Rounds half away from zero and refuses what int cannot hold.
std::optional<int> toPixels(double value)
{
    if (!std::isfinite(value) || std::abs(value) > 1e7)
        return std::nullopt;
    return int(std::lround(value));
}

bool hasSize(QSize size)
{
    return size.width() > 0 && size.height() > 0;
}

} // namespace

VideoRoom videoRoom(QSize inner, int side, int controlHeight, int minimum)
{
    VideoRoom room{QSize(inner.width() - side, inner.height() - controlHeight), inner};
    if (room.video.width() <= 0) {
        room.video.setWidth(minimum);
        room.inner.setWidth(side + minimum);
    }
    if (room.video.height() <= 0) {
        room.video.setHeight(minimum);
        room.inner.setHeight(controlHeight + minimum);
    }
    return room;
}

int splitterLeft(int x, int windowWidth, int leftMargin, int rightMargin)
{
    if (x < leftMargin + 1)
        return leftMargin;
    if (x >= windowWidth - rightMargin)
        return windowWidth - rightMargin;
    return x;
}

QRect fitPicture(QSize area, QSize source, bool keepAspect)
{
    const QRect whole(QPoint(0, 0), area);
    if (!keepAspect || !hasSize(source) || !hasSize(area))
        return whole;
    const double r = double(source.height()) / source.width();
    const double w = area.width();
    const double h = area.height();
    if (r >= h / w) {
        // Relatively taller: full height, bars left and right.
        const double width = h / r;
        return QRect(int(std::lround((w - width) / 2)), 0, int(std::lround(width)), area.height());
    }
    const double height = w * r;
    return QRect(0, int(std::lround((h - height) / 2)), area.width(), int(std::lround(height)));
}

Masks edgeMasks(int areaWidth, int pictureTop, int pictureHeight, int upperPercent,
                int underPercent)
{
    Masks masks;
    const auto height = [pictureHeight](int percent) {
        return int(std::lround(double(pictureHeight) * std::clamp(percent, 0, 100) / 100.0));
    };
    if (upperPercent > 0)
        masks.upper = QRect(0, pictureTop, areaWidth, height(upperPercent));
    if (underPercent > 0) {
        const int h = height(underPercent);
        masks.under = QRect(0, pictureTop + pictureHeight - h, areaWidth, h);
    }
    return masks;
}

bool pointerWantsList(QPoint p, int width, int strip)
{
    return p.x() > width - strip && p.x() + p.y() > width;
}

std::optional<QSize> zoomedVideo(QSize source, int displayHeight, double factor)
{
    if (!std::isfinite(factor) || factor <= 0)
        return std::nullopt;
    const double baseWidth = hasSize(source) ? source.width() : displayHeight * 1.3;
    const double baseHeight = hasSize(source) ? source.height() : displayHeight;
    const std::optional<int> w = toPixels(baseWidth * factor);
    const std::optional<int> h = toPixels(baseHeight * factor);
    if (!w || !h || *w <= 0 || *h <= 0)
        return std::nullopt;
    return QSize(*w, *h);
}

std::optional<double> zoomStepFactor(int displayWidth, int sourceWidth, int stepPixels)
{
    if (sourceWidth <= 0)
        return std::nullopt;
    return double(displayWidth + stepPixels) / sourceWidth;
}

std::optional<int> optimisedHeight(int width, QSize source)
{
    if (!hasSize(source))
        return std::nullopt;
    return toPixels(double(width) * source.height() / source.width());
}

int steppedListWidthTwips(int widthTwips, int direction)
{
    if (direction > 0)
        return widthTwips + kListStepTwips;
    if (widthTwips - kListStepTwips > kListNarrowestTwips)
        return widthTwips - kListStepTwips;
    return widthTwips;
}

namespace
{

// The full-screen overlays, in twips.
constexpr int kOverlayListWidth = 6000;
constexpr int kOverlayListHeight = 3800;
constexpr int kOverlayListOverlap = 10;
constexpr int kOverlayDirectoryHeight = 3000;

} // namespace

FullScreenPlaces fullScreenPlaces(QSize screen, int twipsPerPixelX, int twipsPerPixelY)
{
    const int tx = std::max(1, twipsPerPixelX);
    const int ty = std::max(1, twipsPerPixelY);
    const double width = double(screen.width()) * tx;
    const double height = double(screen.height()) * ty;
    const auto rect = [tx, ty](double left, double top, double w, double h) {
        return QRect(int(std::lround(left / tx)), int(std::lround(top / ty)),
                     int(std::lround(w / tx)), int(std::lround(h / ty)));
    };
    const double listsLeft = width - kOverlayListWidth + kOverlayListOverlap;
    const double listsTop = height - kOverlayListHeight + kOverlayListOverlap;
    const double listsHeight = kOverlayListHeight + kOverlayListOverlap;
    FullScreenPlaces places;
    places.favourites = rect(0, listsTop, listsLeft, listsHeight);
    places.files = rect(listsLeft, listsTop, kOverlayListWidth + kOverlayListOverlap, listsHeight);
    places.directory =
        rect(width - kOverlayListWidth, height - kOverlayListHeight - kOverlayDirectoryHeight,
             kOverlayListWidth, kOverlayDirectoryHeight);
    return places;
}

bool pointerWantsFullScreenLists(int y, int screenHeight, int twipsPerPixelY)
{
    const int ty = std::max(1, twipsPerPixelY);
    return double(y) * ty > double(screenHeight) * ty - kOverlayListHeight / 3.0;
}

QRect keptOnScreens(QRect window, const QList<QRect> &screens, QRect primary, QMargins frame)
{
    for (const QRect &screen : screens) {
        if (screen.intersects(window))
            return window;
    }
    if (primary.isEmpty())
        return window;
    const QRect room = primary.marginsRemoved(frame);
    window.setSize(window.size().boundedTo(room.size()));
    window.moveTopLeft(room.topLeft());
    return window;
}

QRect titleBarOnScreen(QRect window, const QList<QRect> &screens, QMargins frame)
{
    for (const QRect &screen : screens) {
        if (!screen.intersects(window))
            continue;
        const int frameTop = window.top() - frame.top();
        if (frameTop < screen.top())
            window.translate(0, screen.top() - frameTop);
        return window;
    }
    return window;
}

} // namespace window_geometry
