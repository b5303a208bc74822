#include "playback/open_and_play.h"

#include "base/audio_gain.h"
#include "base/path.h"
#include "base/play_source.h"
#include "media/cmovie.h"
#include "playback/play_speed.h"
#include "playback/playback_log.h"
#include "playback/position_timer.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <cmath>
#include <utility>

OpenAndPlay::OpenAndPlay(CMovie &movie, MainWindow &window, PositionTimer &timer, PlaySpeed &speed,
                         QObject *parent)
    : QObject(parent), movie_(movie), window_(window), timer_(timer), speed_(speed)
{
}

void OpenAndPlay::play_file(const QString &path, double pos)
{
    // An open or close in progress lets timers run; a movie asked for then is
    // played once it is over, the last one asked for winning.
    if (movie_.isBusy()) {
        qCDebug(lcPlayback) << "play after the open in progress:" << path;
        playWhenSettled(path, pos);
        return;
    }
    deferred_.reset();

    // A paused movie asked for again goes on where it was.
    if (movie_.PlayState == 2 && path == movie_.filename) {
        movie_.MediaPlay(1);
        return;
    }
    if (favouriteIndex_)
        if (const std::optional<int> index = favouriteIndex_())
            movie_.okini_index = *index;

    const qint16 result = movie_.MediaOpen(path, QString(), window_.display(), pos);
    window_.time()->setWindowTitle(QString::number(result));
    qCDebug(lcPlayback) << "opened" << path << "at" << pos << "s, result" << result;

    fitVideo();
    if (movie_.DisplaySize == 1)
        movie_.HideCursor(true);

    restoreVolume();
    speed_.applyToOpenMovie();

    // The logo stands for "nothing open": a file that failed to open closed
    // the previous movie, so the logo comes back instead of a black area.
    window_.display()->showLogo(result == 0);
    window_.sel()->hide();
    window_.seekBar()->setSelLength(0);

    if (!scaleSeekBar(pos)) {
        emit openFailed(path);
        return;
    }

    timer_.start();
    if (movie_.DisplaySize != 1)
        window_.setWindowTitle(path::getbasename(path));
    emit movieOpened(path);
}

void OpenAndPlay::playWhenSettled(const QString &path, double pos)
{
    const bool waiting = deferred_.has_value();
    deferred_ = Deferred{path, pos};
    if (waiting)
        return;
    // Queued: the open in progress and whoever asked for it finish first.
    connect(
        &movie_, &CMovie::settled, this,
        [this] {
            if (const std::optional<Deferred> next = std::exchange(deferred_, std::nullopt))
                play_file(next->path, next->pos);
        },
        Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
}

int OpenAndPlay::lastOpenResult() const
{
    return window_.time()->windowTitle().toInt();
}

void OpenAndPlay::fitVideo()
{
    if (sizer_) {
        sizer_();
        return;
    }
    const QWidget *display = window_.display();
    movie_.SetWindowSize(qint16(display->width()), qint16(display->height()));
}

void OpenAndPlay::restoreVolume()
{
    // The volume bar runs 0..100; the movie takes hundredths of a decibel,
    // 0 at the top and -50 dB at the bottom.
    movie_.setAudioVolume(audio_gain::hundredthsDbFromBar(window_.vol()->value()));
    qint32 applied = 0;
    if (movie_.audioVolume(&applied))
        movie_.volume = applied;
}

bool OpenAndPlay::scaleSeekBar(double pos)
{
    const int result = lastOpenResult();
    if (result == 0)
        return false;

    SeekBar *bar = window_.seekBar();
    if (result > 0) {
        bar->setMaximum(result);
    } else {
        double duration = 0;
        movie_.duration(&duration);
        bar->setMaximum(int(std::lround(duration * 100)));
    }
    bar->setValue(int(std::lround(pos * 100)));
    window_.seekBarForFullscreen()->setMaximum(bar->maximum());
    window_.lblMedia(3)->setText(CMovie::secondsToString(bar->maximum() / 100));
    return true;
}

void OpenAndPlay::play_selection(PlaySource *source)
{
    const QString target = source ? source->currentOrFirstPath() : QString();
    if (target.isEmpty()) {
        movie_.MediaPlay(3);
    } else if (target == movie_.filename) {
        movie_.MediaPlay(movie_.PlayState == 1 ? 2 : 1);
    } else {
        // play_file resumes a paused movie whose name it is given, so the
        // session's name must stay that of the movie actually loaded: the new
        // one is opened, and opening sets the name.
        play_file(target, 0);
    }
}
