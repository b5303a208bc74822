#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// The arithmetic of the main window's layout and display modes: how much room
// the video gets, where the picture lies inside it by the fit rule, where the
// edge masks go, when the pointer opens the list, and the sizes the zoom
// presets and the list-width buttons ask for.  Lengths are pixels unless a
// name says twips; the twip constants are the window's design values.
namespace window_geometry
{

// The smallest video area the layout lets the window keep, in twips.
constexpr int kMinimumVideoTwips = 500;
// The narrowest video area the window keeps for the control panel under it;
// Page Down stops zooming out there too.
constexpr int kNarrowestControlsTwips = 3500;
// The splitter keeps this far from the window's left and right edges.
constexpr int kSplitterLeftMarginTwips = 500;
constexpr int kSplitterRightMarginTwips = 200;
// The strip along the video's right edge that opens the list.
constexpr int kListStripTwips = 1000;
// The list-width buttons change the list by this much; "sub" only while the
// list stays wider than kListNarrowestTwips.
constexpr int kListStepTwips = 300;
constexpr int kListNarrowestTwips = 80;

// The video area for a window whose inside is `inner`, with `side` pixels of
// list and splitter on the right and the control panel `controlHeight` high
// under the video.  A window too small for any video gets `minimum` in that
// direction and `inner` grows to hold it.
struct VideoRoom {
    QSize video;
    QSize inner;
};
VideoRoom videoRoom(QSize inner, int side, int controlHeight, int minimum);

// Where the splitter lands when dragged to x inside a window `windowWidth`
// wide: at least `leftMargin` from the left edge and `rightMargin` from the
// right one.
int splitterLeft(int x, int windowWidth, int leftMargin, int rightMargin);

// The picture inside an area: stretched over it, or, keeping the source's
// aspect ratio, centred at the largest size that fits (letterbox).  A source
// without a size (no video) fills the area.
QRect fitPicture(QSize area, QSize source, bool keepAspect);

// The two edge masks over a picture `pictureTop`..+`pictureHeight` in an area
// `areaWidth` wide, each covering its percentage of the picture's height; a
// null rectangle is a hidden mask.
struct Masks {
    QRect upper;
    QRect under;
};
Masks edgeMasks(int areaWidth, int pictureTop, int pictureHeight, int upperPercent,
                int underPercent);

// The pointer at p over a video area `width` wide wants the list open: it is
// in the strip along the right edge, below the triangle cut off its top.
bool pointerWantsList(QPoint p, int width, int strip);

// The video size a zoom asks for: the source size times the factor, or, when
// there is no source size, a 1.3:1 area as high as `displayHeight` times the
// factor.  Nothing for a factor that is not a positive finite number or a
// size too small to show.
std::optional<QSize> zoomedVideo(QSize source, int displayHeight, double factor);

// The zoom factor that makes a picture shown `displayWidth` pixels wide
// `stepPixels` wider (negative: narrower), for a source `sourceWidth` pixels
// wide; nothing without a source width.
std::optional<double> zoomStepFactor(int displayWidth, int sourceWidth, int stepPixels);

// The height that gives a video area `width` wide the source's proportions;
// nothing without a source size.
std::optional<int> optimisedHeight(int width, QSize source);

// The list width after the "add" (+1) or "sub" (-1) button, in twips; the
// width unchanged when "sub" would make it too narrow.
int steppedListWidthTwips(int widthTwips, int direction);

// Full screen: the favourites list over the bottom left of the picture, the
// file list at the bottom right and the folder frame's box above the file
// list, for a screen `screen` pixels large at the given twips per pixel.
// The lists reach a little past the screen's right and bottom edges, so that
// their borders do not show there.
struct FullScreenPlaces {
    QRect favourites;
    QRect files;
    QRect directory;
};
FullScreenPlaces fullScreenPlaces(QSize screen, int twipsPerPixelX, int twipsPerPixelY);
// The lists come with the pointer at y in the bottom third of their height.
bool pointerWantsFullScreenLists(int y, int screenHeight, int twipsPerPixelY);

// A window rectangle that lies on none of the screens (a monitor unplugged, a
// damaged settings file) brought onto the primary one, no larger than it;
// a window on any screen stays where it is.  `window` is the inside of the
// window and `frame` what the window manager adds around it: the frame is
// brought onto the screen with it.
QRect keptOnScreens(QRect window, const QList<QRect> &screens, QRect primary,
                    QMargins frame = QMargins());
// A window on a screen whose title bar lies above that screen's top comes
// down just far enough to show it.
QRect titleBarOnScreen(QRect window, const QList<QRect> &screens, QMargins frame);

} // namespace window_geometry
