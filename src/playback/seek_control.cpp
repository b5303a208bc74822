#include "playback/seek_control.h"

#include "base/seek_geometry.h"
#include "media/cmovie.h"
#include "playback/position_timer.h"
#include "window/main_window.h"
#include "window/screen_metrics.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QVariant>
#include <QWidget>

namespace
{

// Ctrl alone: Shift or Alt held with it makes a click a plain seek.
bool ctrlAlone(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) ==
           Qt::ControlModifier;
}

// The band's translucent colour over the bar.
void styleBand(QWidget *band)
{
    QPalette palette = band->palette();
    QColor colour = palette.color(QPalette::Highlight);
    colour.setAlpha(110);
    palette.setColor(QPalette::Window, colour);
    band->setPalette(palette);
    band->setAutoFillBackground(true);
    // The bar keeps the mouse while the band lies over it.
    band->setAttribute(Qt::WA_TransparentForMouseEvents);
}

} // namespace

SeekControl::SeekControl(CMovie &movie, MainWindow &window, PositionTimer &timer, QObject *parent)
    : QObject(parent), movie_(movie), window_(window), timer_(timer)
{
    styleBand(window_.sel());

    SeekBar *bar = window_.seekBar();
    connect(bar, &SeekBar::mouseDown, this, &SeekControl::SeekBar_MouseDown);
    connect(bar, &SeekBar::mouseMove, this, &SeekControl::SeekBar_MouseMove);
    connect(bar, &SeekBar::mouseUp, this, &SeekControl::SeekBar_MouseUp);
    connect(bar, &SeekBar::gotFocus, this, &SeekControl::SeekBar_GotFocus);

    SeekBar *fullscreenBar = window_.seekBarForFullscreen();
    connect(fullscreenBar, &SeekBar::mouseDown, this, &SeekControl::SeekBarForFullscreen_MouseDown);
    connect(fullscreenBar, &SeekBar::mouseMove, this, &SeekControl::SeekBarForFullscreen_MouseMove);
}

void SeekControl::SeekBar_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x)
{
    const std::optional<int> value = seekBarValueAt(x);
    // Any press on the bar removes the section; a right click does nothing more.
    window_.seekBar()->setSelLength(0);
    if (button != Qt::LeftButton)
        return;
    // A drag whose release never arrived (a popup took the mouse) ends here.
    if (dragging())
        endSectionDrag();
    if (!value)
        return;
    if (ctrlAlone(modifiers))
        startSectionDrag(x, *value);
    else
        seek(*value, false);
}

void SeekControl::SeekBar_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                                    int x)
{
    if (buttons != Qt::LeftButton)
        return;
    // What the press started goes on until the release, whatever keys are
    // pressed or let go meanwhile: a section drag moves its band, a plain
    // drag keeps seeking.
    if (dragging())
        dragBand(x);
    else
        SeekBar_MouseDown(Qt::LeftButton, modifiers & ~Qt::ControlModifier, x);
}

void SeekControl::SeekBar_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int x)
{
    if (!dragging() || button != Qt::LeftButton)
        return;
    const std::optional<int> value = seekBarValueAt(x);
    if (!value) {
        // The movie went away under the drag: no section to mark.
        endSectionDrag();
        return;
    }
    finishSection(*value);
}

void SeekControl::SeekBar_GotFocus()
{
    // Keys must keep reaching the video area's handlers.
    if (window_.display()->isVisible())
        window_.display()->setFocus();
}

void SeekControl::SeekBarForFullscreen_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers,
                                                 int x)
{
    if (button != Qt::LeftButton)
        return;
    if (const std::optional<int> value = valueUnder(window_.seekBarForFullscreen(), x))
        seek(*value, true);
}

std::optional<int> SeekControl::valueUnder(const SeekBar *bar, int x) const
{
    if (bar != window_.seekBarForFullscreen())
        return seekBarValueAt(x);
    double duration = 0;
    if (!movie_.duration(&duration))
        return std::nullopt;
    return seek_geometry::fullscreenValueAt(x, bar->width(), duration);
}

void SeekControl::SeekBarForFullscreen_MouseMove(Qt::MouseButtons buttons,
                                                 Qt::KeyboardModifiers modifiers, int x)
{
    if (buttons == Qt::LeftButton)
        SeekBarForFullscreen_MouseDown(Qt::LeftButton, modifiers, x);
}

std::optional<int> SeekControl::seekBarValueAt(int x) const
{
    double duration = 0;
    if (!movie_.duration(&duration))
        return std::nullopt;
    const seek_geometry::Track track{
        window_.seekBar()->width(),
        seek_geometry::pixelsFromTwips(seek_geometry::kMarginTwips, twipsPerPixelX())};
    return seek_geometry::valueAt(x, track, duration);
}

void SeekControl::seek(int value, bool fromFullscreen)
{
    // A seek that arrives while a play command or another seek is being
    // carried out is dropped, not queued.
    if (movie_.inCommand())
        return;
    movie_.setInCommand(true);
    timer_.stop();

    SeekBar *bar = window_.seekBar();
    // A click in a margin lands on the nearer end of the movie.
    bar->setValue(seek_geometry::clampToBar(value, bar->maximum()));
    if (fromFullscreen)
        window_.seekBarForFullscreen()->setValue(bar->value());
    movie_.setCurrentPosition(bar->value() / 100.0);

    // The bar follows playback again from here.  With nothing open there is
    // nothing to follow.
    if (movie_.isOpen())
        timer_.start();
    movie_.setInCommand(false);
}

void SeekControl::startSectionDrag(int x, int value)
{
    SeekBar *bar = window_.seekBar();
    bar->setCursor(Qt::UpArrowCursor);
    // A drag begun in a margin begins at that end of the movie.
    bar->setSelStart(seek_geometry::clampToBar(value, bar->maximum()));

    const seek_geometry::Track track{
        bar->width(),
        seek_geometry::pixelsFromTwips(seek_geometry::kMarginTwips, twipsPerPixelX())};
    const int left = bar->x() + seek_geometry::bandStart(x, track);
    const int top = seek_geometry::pixelsFromTwips(seek_geometry::kBandTopTwips, twipsPerPixelY());
    QWidget *band = window_.sel();
    band->setGeometry(left, bar->y() + top, 0, qMax(1, bar->height() - 2 * top));
    // The band remembers where the drag began, in the control panel's
    // coordinates.
    band->setProperty("Tag", QString::number(left));
    band->raise();
    band->show();
}

void SeekControl::dragBand(int x)
{
    SeekBar *bar = window_.seekBar();
    QWidget *band = window_.sel();
    const seek_geometry::Track track{
        bar->width(),
        seek_geometry::pixelsFromTwips(seek_geometry::kMarginTwips, twipsPerPixelX())};
    const int start = band->property("Tag").toString().toInt() - bar->x();
    const seek_geometry::Band span = seek_geometry::bandSpan(start, x, track);
    band->setGeometry(bar->x() + span.left, band->y(), span.width, band->height());
}

void SeekControl::finishSection(int value)
{
    SeekBar *bar = window_.seekBar();
    const seek_geometry::Section section =
        seek_geometry::finishSection(bar->SelStart(), value, bar->maximum());
    bar->setSelStart(section.start);
    bar->setSelLength(section.length);

    // Playback starts over at the section's start.  This seek is part of the
    // drag the user already made, so it neither waits for nor holds the
    // position timer.
    bar->setValue(section.start);
    movie_.setCurrentPosition(bar->value() / 100.0);
    endSectionDrag();
}

void SeekControl::endSectionDrag()
{
    window_.seekBar()->unsetCursor();
    window_.sel()->hide();
}

bool SeekControl::dragging() const
{
    // The band is shown exactly while a section is being dragged.
    return !window_.sel()->isHidden();
}

int SeekControl::twipsPerPixelX() const
{
    return ScreenMetrics::measure(window_).TwipsPerPixelX;
}

int SeekControl::twipsPerPixelY() const
{
    return ScreenMetrics::measure(window_).TwipsPerPixelY;
}
