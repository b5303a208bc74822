#include "app/desktop_link.h"

#include "base/path.h"
#include "base/single_instance.h"
#include "desktop/instance_handover.h"
#include "desktop/media_controls.h"
#include "desktop/screen_saver.h"
#include "media/cmovie.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"
#include "playback/play_speed.h"
#include "playback/transport.h"

#include <QSlider>
#include <QTimer>
#include <cmath>
#include <utility>

namespace
{

MediaControls::Status statusOf(const CMovie &movie, bool loops)
{
    if (movie.isPlaying())
        return MediaControls::Status::Playing;
    if (!movie.isOpen())
        return MediaControls::Status::Stopped;
    if (movie.playState() == PlayState::Paused)
        return MediaControls::Status::Paused;
    // At its end in loop mode the movie is about to start again: it has not
    // stopped for the desktop.
    if (movie.playState() == PlayState::Playing && loops)
        return MediaControls::Status::Playing;
    return MediaControls::Status::Stopped;
}

MediaControls::Loop loopOf(int mode)
{
    switch (mode) {
    case PlayMode::Loop:
        return MediaControls::Loop::Track;
    case PlayMode::Continuous:
    case PlayMode::Random:
        return MediaControls::Loop::Playlist;
    default:
        return MediaControls::Loop::None;
    }
}

// The list playing on stays random when it was.
int modeForLoop(MediaControls::Loop loop, int mode)
{
    switch (loop) {
    case MediaControls::Loop::Track:
        return PlayMode::Loop;
    case MediaControls::Loop::Playlist:
        return mode == PlayMode::Random ? PlayMode::Random : PlayMode::Continuous;
    case MediaControls::Loop::None:
        break;
    }
    return PlayMode::Normal;
}

// Shuffle off leaves random play for playing the list on in order.
int modeForShuffle(bool on, int mode)
{
    if (on)
        return PlayMode::Random;
    return mode == PlayMode::Random ? PlayMode::Continuous : mode;
}

} // namespace

DesktopLink::DesktopLink(Parts parts)
    : p_(std::move(parts)), controls_(new MediaControls(this)), screenSaver_(new ScreenSaver(this)),
      handover_(new InstanceHandover(this))
{
}

DesktopLink::~DesktopLink() = default;

void DesktopLink::start(const QString &programFolder)
{
    connect(handover_, &InstanceHandover::received, this, [this](const QString &commandLine) {
        if (!commandLine.isEmpty())
            p_.playCommandLine(commandLine);
        p_.raiseWindow();
    });
    handover_->listen(SingleInstance::socketPathFor(programFolder));
    connectControls();
    refresh();
    controls_->start();
}

void DesktopLink::shutdown()
{
    screenSaver_->releaseNow();
    controls_->deleteLater();
    controls_ = nullptr;
}

void DesktopLink::playingChanged(bool playing)
{
    screenSaver_->setInhibited(playing);
    refresh();
}

void DesktopLink::movieOpened()
{
    ++trackNumber_;
    refresh();
}

void DesktopLink::seeked(double seconds)
{
    if (controls_)
        controls_->announceSeek(seconds);
}

// The desktop's requests go where the keys' go, carried out while the bus
// call is answered; opening a movie only asks for it and returns.
void DesktopLink::connectControls()
{
    MediaControls *controls = controls_;
    CMovie &movie = p_.movie;
    controls->setRateLimits(PlaySpeed::rateOf(3), PlaySpeed::rateOf(0));
    controls->setPositionSource([&movie] {
        double seconds = 0;
        movie.currentPosition(&seconds);
        return seconds;
    });
    connect(controls, &MediaControls::playWanted, this, &DesktopLink::play);
    connect(controls, &MediaControls::pauseWanted, this, [&movie] {
        if (movie.isPlaying())
            movie.MediaPlay(PlayCommand::Pause);
    });
    connect(controls, &MediaControls::playPauseWanted, this, &DesktopLink::playPause);
    connect(controls, &MediaControls::stopWanted, &p_.transport, &Transport::stop_Click);
    connect(controls, &MediaControls::nextWanted, this, [this] { step(true); });
    connect(controls, &MediaControls::previousWanted, this, [this] { step(false); });
    connect(controls, &MediaControls::positionWanted, this,
            [&movie](double seconds) { movie.setCurrentPosition(seconds); });
    connect(controls, &MediaControls::openWanted, this,
            [this](const QString &path) { p_.playCommandLine(path); });
    connect(controls, &MediaControls::raiseWanted, this, [this] { p_.raiseWindow(); });
    // Queued: quitting shuts the media controls down, and the call asking
    // for it is still being answered by them.
    connect(
        controls, &MediaControls::quitWanted, this, [this] { p_.exit(); }, Qt::QueuedConnection);
    connect(controls, &MediaControls::rateWanted, this, &DesktopLink::setRate);
    connect(controls, &MediaControls::volumeWanted, this,
            [this](double volume) { p_.setVolume(int(std::lround(volume * 100))); });
    connect(controls, &MediaControls::loopWanted, this, [this](MediaControls::Loop loop) {
        emit playModeWanted(modeForLoop(loop, playMode()));
    });
    connect(controls, &MediaControls::shuffleWanted, this,
            [this](bool on) { emit playModeWanted(modeForShuffle(on, playMode())); });
}

void DesktopLink::setMoreFormats(bool on)
{
    if (controls_)
        controls_->setMoreFormats(on);
}

void DesktopLink::refresh()
{
    if (!controls_)
        return;
    const CMovie &movie = p_.movie;
    MediaControls::State state;
    const int mode = playMode();
    state.status = statusOf(movie, mode == PlayMode::Loop);
    if (movie.isOpen()) {
        state.path = movie.filename();
        state.title = path::getbasename(movie.filename());
        movie.duration(&state.lengthSeconds);
        // Looked up again until the movie's picture has been made.
        if (p_.artFor && (std::exchange(artOf_, state.path) != state.path || art_.isEmpty()))
            art_ = p_.artFor(state.path);
        state.artPath = art_;
    }
    state.trackNumber = trackNumber_;
    const int speed = p_.speed.checkedIndex();
    state.rate = speed < 0 ? 1.0 : PlaySpeed::rateOf(speed);
    state.volume = p_.volume.value() / 100.0;
    const PlaySource *source = p_.playingSource ? p_.playingSource() : nullptr;
    state.canGoNext = state.canGoPrevious = source && source->count() > 0;
    state.loop = loopOf(mode);
    state.shuffle = mode == PlayMode::Random;
    controls_->update(state);
}

int DesktopLink::playMode() const
{
    return p_.playMode ? p_.playMode() : PlayMode::Normal;
}

void DesktopLink::listChanged()
{
    if (refreshQueued_)
        return;
    refreshQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshQueued_ = false;
        refresh();
    });
}

void DesktopLink::movieStateChanged()
{
    if (controls_ && statusOf(p_.movie, playMode() == PlayMode::Loop) != controls_->state().status)
        refresh();
}

void DesktopLink::step(bool next)
{
    PlaySource *source = p_.playingSource ? p_.playingSource() : nullptr;
    if (next)
        p_.sequencer.play_next_in(source);
    else
        p_.sequencer.play_prev_in(source);
}

void DesktopLink::play()
{
    CMovie &movie = p_.movie;
    if (movie.isPlaying())
        return;
    if (movie.isOpen())
        movie.MediaPlay(PlayCommand::Play);
    else
        p_.transport.play_Click();
}

void DesktopLink::playPause()
{
    if (p_.movie.isPlaying())
        p_.movie.MediaPlay(PlayCommand::Pause);
    else
        play();
}

// The nearest of the program's speeds.
void DesktopLink::setRate(double rate)
{
    int nearest = 0;
    for (int index = 1; index < 4; ++index) {
        if (std::abs(PlaySpeed::rateOf(index) - rate) < std::abs(PlaySpeed::rateOf(nearest) - rate))
            nearest = index;
    }
    p_.speed.bai_Click(nearest);
    refresh();
}
