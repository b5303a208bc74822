#pragma once

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
// damaged settings file) brought onto the primary screen.
QRect keptOnScreen(QRect window);
