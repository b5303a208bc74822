#include "display/movie_volume.h"

#include "base/audio_gain.h"
#include "media/cmovie.h"
#include "playback/open_and_play.h"
#include "window/main_window.h"

#include <QMouseEvent>
#include <QSlider>

namespace
{
// The bar's last stretch is out of reach of the pointer's value.
constexpr int kBarEndTwips = 80;
} // namespace

MovieVolume::MovieVolume(CMovie &movie, MainWindow &window, OpenAndPlay &player, QObject *parent)
    : QObject(parent), movie_(movie), window_(window), player_(player)
{
    for (QSlider *bar : {window.vol(), window.volForFullscreen()})
        bar->installEventFilter(this);
}

void MovieVolume::set_movie_volume(int v)
{
    window_.vol()->setValue(v);
    window_.volForFullscreen()->setValue(window_.vol()->value());
    if (!movie_.inCommand())
        player_.restoreVolume();
}

void MovieVolume::changeBy(int step)
{
    set_movie_volume(window_.vol()->value() + step);
}

void MovieVolume::toggleMute()
{
    QSlider *bar = window_.vol();
    std::int32_t level = audio_gain::kSilent;
    if (bar->value() != 0) {
        muted_ = std::int16_t(bar->value());
        bar->setValue(0);
    } else {
        bar->setValue(muted_);
        level = audio_gain::hundredthsDbFromBar(muted_);
    }
    window_.volForFullscreen()->setValue(bar->value());
    movie_.setAudioVolume(level);
    qint32 applied = 0;
    if (movie_.audioVolume(&applied))
        movie_.setVolume(applied);
}

// The value under the pointer; the width is always `vol`'s, also for the
// full-screen bar.
void MovieVolume::pointerAt(int x)
{
    const int usable = window_.vol()->width() - window_.pixelsX(kBarEndTwips);
    set_movie_volume(audio_gain::barValueAt(x, usable));
}

bool MovieVolume::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton)
            toggleMute();
        else if (mouse->button() == Qt::LeftButton)
            pointerAt(int(mouse->position().x()));
        return true;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->buttons() & Qt::LeftButton)
            pointerAt(int(mouse->position().x()));
        return true;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
