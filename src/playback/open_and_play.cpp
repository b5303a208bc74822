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
    connect(&movie_, &CMovie::opened, this, &OpenAndPlay::onOpened);
    connect(&movie_, &CMovie::openAbandoned, this, &OpenAndPlay::onAbandoned);
}

void OpenAndPlay::play_file(const QString &path, double pos, Then then)
{
    if (pos == 0 && startFinder_ && !resumesPaused(path))
        pos = startFinder_(path);
    play_file_at(path, pos, std::move(then));
}

bool OpenAndPlay::resumesPaused(const QString &path) const
{
    return movie_.playState() == PlayState::Paused && path == movie_.filename() &&
           !movie_.isOpening();
}

void OpenAndPlay::play_file_at(const QString &path, double pos, Then then)
{
    // A paused movie asked for again goes on where it was.
    if (resumesPaused(path)) {
        movie_.MediaPlay(PlayCommand::Play);
        if (then)
            then(true);
        return;
    }
    if (requestWatcher_)
        requestWatcher_(path);
    if (std::optional<Request> replaced = std::exchange(pending_, std::nullopt))
        tell(*replaced, false);
    pending_ = Request{path, pos, std::move(then)};
    qCDebug(lcPlayback) << "open asked for:" << path << "at" << pos << "s";
    replacing_ = true;
    movie_.MediaOpen(path, QString(), window_.display(), pos);
    replacing_ = false;
}

void OpenAndPlay::tell(const Request &request, bool playing)
{
    if (request.then)
        request.then(playing);
}

void OpenAndPlay::onAbandoned(const QString &path)
{
    if (replacing_ || !pending_ || pending_->path != path)
        return;
    tell(*std::exchange(pending_, std::nullopt), false);
}

// The rest of play_file, once the session has the result of the open.
void OpenAndPlay::onOpened(const QString &path, qint16 result)
{
    if (!pending_ || pending_->path != path)
        return;
    const Request request = *std::exchange(pending_, std::nullopt);
    lastResult_ = result;
    qCDebug(lcPlayback) << "opened" << path << "at" << request.pos << "s, result" << result;
    showOpenedMovie(request);
}

void OpenAndPlay::followAdvance(const QString &path, qint16 result)
{
    if (requestWatcher_)
        requestWatcher_(path);
    lastResult_ = result;
    qCDebug(lcPlayback) << "went on to" << path << "result" << result;
    // It may have been prepared to start where it was left.
    double start = 0;
    movie_.currentPosition(&start);
    showOpenedMovie(Request{path, start, {}});
}

void OpenAndPlay::showOpenedMovie(const Request &request)
{
    lastStart_ = request.pos;
    fitVideo();
    restoreVolume();
    speed_.applyToOpenMovie();

    // The logo stands for "nothing open": a file that failed to open closed
    // the previous movie, so the logo comes back instead of a black area.
    window_.display()->showLogo(lastResult_ == 0);
    window_.sel()->hide();
    window_.seekBar()->setSelLength(0);

    if (!scaleSeekBar(request.pos)) {
        emit openFailed(request.path);
        tell(request, false);
        return;
    }

    timer_.start();
    emit movieOpened(request.path);
    tell(request, true);
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
        movie_.setVolume(applied);
}

bool OpenAndPlay::scaleSeekBar(double pos)
{
    const int result = lastResult_;
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
    if (!source) {
        togglePause();
    } else if (target.isEmpty()) {
        movie_.MediaPlay(PlayCommand::Stop);
    } else if (target == movie_.openingPath()) {
        // Asked for again while it opens: it plays once open.
        return;
    } else if (target == movie_.filename()) {
        togglePause();
    } else {
        // play_file resumes a paused movie whose name it is given, so the
        // session's name must stay that of the movie actually loaded: the new
        // one is opened, and opening sets the name.
        play_file(target, 0);
    }
}

void OpenAndPlay::togglePause()
{
    movie_.MediaPlay(movie_.playState() == PlayState::Playing ? PlayCommand::Pause
                                                              : PlayCommand::Play);
}
