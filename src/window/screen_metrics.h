#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// Twips per pixel and the window frame sizes, measured once at start-up.
// Stored geometry is in twips (1440 to the logical inch); the screen works in
// pixels.
struct ScreenMetrics {
    int TwipsPerPixelX = 15;
    int TwipsPerPixelY = 15;
    int captionHeight = 0; // twips
    int frameWidth = 0;    // twips
    int frameHeight = 0;   // twips

    static ScreenMetrics measure(const QWidget &window);
};

// A window rectangle that lies on no screen any more (a monitor unplugged, a
// damaged settings file) brought onto the primary screen with the frame
// `frame` (pixels) the window manager puts around it.
QRect keptOnScreen(QRect window, QMargins frame = QMargins());
// The frame the window manager is expected to put around window: its caption
// and borders as measured, in pixels.
QMargins expectedFrame(const ScreenMetrics &metrics);
// Once the window manager has framed the window: its title bar and borders
// brought onto a screen if they are off every screen or above its top.
void keepFrameOnScreen(QWidget &window);
