#include "app/desktop_link.h"

#include "app/command_dispatch.h"
#include "app/player.h"
#include "base/path.h"
#include "base/play_source.h"
#include "base/single_instance.h"
#include "desktop/instance_handover.h"
#include "desktop/media_controls.h"
#include "desktop/screen_saver.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "playback/open_and_play.h"
#include "playback/play_sequencing.h"
#include "playback/play_speed.h"
#include "playback/transport.h"
#include "window/main_window.h"

#include <QMenu>
#include <QSlider>
#include <QTabBar>
#include <cmath>

DesktopLink::DesktopLink(Player &player)
    : player_(player), controls_(new MediaControls(this)), screenSaver_(new ScreenSaver(this)),
      handover_(new InstanceHandover(this))
{
}

DesktopLink::~DesktopLink() = default;

void DesktopLink::start(const QString &programFolder)
{
    connect(handover_, &InstanceHandover::received, this, [this](const QString &commandLine) {
        if (!commandLine.isEmpty())
            player_.playCommandLine(commandLine);
        player_.raiseWindow();
    });
    handover_->listen(SingleInstance::socketPathFor(programFolder));
    connectPlayer();
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

void DesktopLink::setArtLookup(std::function<QString(const QString &)> artFor)
{
    artFor_ = std::move(artFor);
    refresh();
}

// What the desktop shows follows the movie, the volume bar, the speed and the
// page shown.
void DesktopLink::connectPlayer()
{
    CMovie &movie = player_.movie();
    connect(&movie, &CMovie::playingChanged, screenSaver_, &ScreenSaver::setInhibited);
    connect(&movie, &CMovie::playingChanged, this, &DesktopLink::refresh);
    connect(&movie, &CMovie::seeked, controls_, &MediaControls::announceSeek);
    connect(&player_.openAndPlay(), &OpenAndPlay::movieOpened, this, [this] {
        ++trackNumber_;
        refresh();
    });
    connect(player_.window().vol(), &QSlider::valueChanged, this, &DesktopLink::refresh);
    connect(player_.playSpeed().menu(), &QMenu::triggered, this, &DesktopLink::refresh);
    connect(player_.listPanel().Tab1, &QTabBar::currentChanged, this, &DesktopLink::refresh);
}

// The desktop's requests go where the keys' go.
// The desktop's requests go where the keys' go.  Each is carried out from the
// event loop, after the bus has had its answer: opening a movie waits in a
// loop of its own, and quitting takes the media controls away.
void DesktopLink::connectControls()
{
    MediaControls *controls = controls_;
    Player &player = player_;
    controls->setRateLimits(PlaySpeed::rateOf(3), PlaySpeed::rateOf(0));
    controls->setPositionSource([&player] {
        double seconds = 0;
        player.movie().currentPosition(&seconds);
        return seconds;
    });
    connect(controls, &MediaControls::playWanted, this, &DesktopLink::play, Qt::QueuedConnection);
    connect(
        controls, &MediaControls::pauseWanted, this,
        [&player] {
            if (player.movie().isPlaying())
                player.movie().MediaPlay(PlayCommand::Pause);
        },
        Qt::QueuedConnection);
    connect(controls, &MediaControls::playPauseWanted, this, &DesktopLink::playPause,
            Qt::QueuedConnection);
    connect(controls, &MediaControls::stopWanted, &player.transport(), &Transport::stop_Click,
            Qt::QueuedConnection);
    connect(controls, &MediaControls::nextWanted, &player.sequencer(), &PlaySequencer::play_next,
            Qt::QueuedConnection);
    connect(controls, &MediaControls::previousWanted, &player.sequencer(),
            &PlaySequencer::play_prev, Qt::QueuedConnection);
    connect(
        controls, &MediaControls::positionWanted, this,
        [&player](double seconds) { player.movie().setCurrentPosition(seconds); },
        Qt::QueuedConnection);
    connect(
        controls, &MediaControls::openWanted, this,
        [&player](const QString &path) { player.playCommandLine(path); }, Qt::QueuedConnection);
    connect(
        controls, &MediaControls::raiseWanted, this, [&player] { player.raiseWindow(); },
        Qt::QueuedConnection);
    connect(
        controls, &MediaControls::quitWanted, this, [&player] { player.m_exit_Click(); },
        Qt::QueuedConnection);
    connect(controls, &MediaControls::rateWanted, this, &DesktopLink::setRate,
            Qt::QueuedConnection);
    connect(
        controls, &MediaControls::volumeWanted, this,
        [&player](double volume) { player.dispatch().setVolume(int(std::lround(volume * 100))); },
        Qt::QueuedConnection);
}

void DesktopLink::refresh()
{
    if (!controls_)
        return;
    const CMovie &movie = player_.movie();
    MediaControls::State state;
    if (movie.isPlaying())
        state.status = MediaControls::Status::Playing;
    else if (movie.isOpen() && movie.playState() == PlayState::Paused)
        state.status = MediaControls::Status::Paused;
    if (movie.isOpen()) {
        state.path = movie.filename();
        state.title = path::getbasename(movie.filename());
        movie.duration(&state.lengthSeconds);
        if (artFor_)
            state.artPath = artFor_(state.path);
    }
    state.trackNumber = trackNumber_;
    const int speed = player_.playSpeed().checkedIndex();
    state.rate = speed < 0 ? 1.0 : PlaySpeed::rateOf(speed);
    state.volume = player_.window().vol()->value() / 100.0;
    const PlaySource *source = player_.activePlaySource();
    state.canGoNext = state.canGoPrevious = source && source->count() > 0;
    controls_->update(state);
}

void DesktopLink::play()
{
    CMovie &movie = player_.movie();
    if (movie.isPlaying())
        return;
    if (movie.isOpen())
        movie.MediaPlay(PlayCommand::Play);
    else
        player_.transport().play_Click();
}

void DesktopLink::playPause()
{
    if (player_.movie().isPlaying())
        player_.movie().MediaPlay(PlayCommand::Pause);
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
    player_.playSpeed().bai_Click(nearest);
    refresh();
}
