#include "playback/position_timer.h"

#include "media/cmovie.h"
#include "playback/play_mode.h"
#include "window/main_window.h"
#include "window/seek_bar.h"

#include <QLabel>
#include <QTimer>
#include <QVariant>
#include <cmath>

PositionTimer::PositionTimer(CMovie &movie, MainWindow &window, const PlayMode &mode,
                             QObject *parent)
    : QObject(parent), movie_(movie), window_(window), mode_(mode), timer_(new QTimer(this))
{
    timer_->setObjectName("tmrPosition");
    timer_->setInterval(kNormalInterval);
    connect(timer_, &QTimer::timeout, this, &PositionTimer::tmrPosition_Timer);
    connect(&movie_, &CMovie::endReached, this, &PositionTimer::actOnEndOfMedia);
    // Played again, the movie no longer waits for a next one.
    connect(&movie_, &CMovie::playingChanged, this, [this](bool playing) {
        if (playing)
            leftAtEnd_ = false;
    });
}

// The display follows the movie from its first moment, not from the first
// tick half a second later.
void PositionTimer::start()
{
    leftAtEnd_ = false;
    timer_->start();
    showPosition();
}

void PositionTimer::stop()
{
    leftAtEnd_ = false;
    timer_->stop();
}

bool PositionTimer::isActive() const
{
    return timer_->isActive();
}

void PositionTimer::tmrPosition_Timer()
{
    showPosition();
    keepInsideSection();
    wind();
    followEnd();
}

void PositionTimer::showPosition()
{
    double position = 0;
    if (!movie_.currentPosition(&position))
        return;
    // Moving the bars is not a user's seek.
    const bool wasInCommand = movie_.inCommand();
    movie_.setInCommand(true);
    const int value = int(std::lround(position * 100));
    window_.seekBar()->setValue(value);
    if (fullScreen_ && fullScreen_())
        window_.seekBarForFullscreen()->setValue(value);
    movie_.setInCommand(wasInCommand);
    setElapsedText(" " + CMovie::secondsToString(qint32(std::floor(position))) + " ");
}

void PositionTimer::keepInsideSection()
{
    SeekBar *bar = window_.seekBar();
    if (bar->SelLength() == 0)
        return;
    if (bar->SelStart() + bar->SelLength() < bar->value())
        backToSectionStart();
}

void PositionTimer::backToSectionStart()
{
    SeekBar *bar = window_.seekBar();
    bar->setValue(bar->SelStart());
    movie_.setCurrentPosition(bar->SelStart() / 100.0);
}

// mpv tells the end of the movie once; inside a section of the seek bar it
// is the section's end, otherwise the play mode decides what comes next.
void PositionTimer::actOnEndOfMedia()
{
    // mpv let go of a movie it could not go on reading: it has ended, and
    // only a next movie can follow it.
    if (!movie_.isOpen()) {
        leftAtEnd_ = true;
        followEnd();
        return;
    }
    if (window_.seekBar()->SelLength() != 0) {
        const bool wasPlaying = movie_.playState() == PlayState::Playing;
        backToSectionStart();
        // mpv pauses at the end; the section plays on.
        if (wasPlaying)
            movie_.MediaPlay(PlayCommand::Play);
        return;
    }
    switch (mode_.get_play_mode()) {
    case PlayMode::Normal:
        stop();
        movie_.MediaPlay(PlayCommand::Stop);
        leftAtEnd_ = true;
        break;
    case PlayMode::Loop:
        window_.seekBar()->setValue(0);
        movie_.setCurrentPosition(0);
        movie_.MediaPlay(PlayCommand::Play);
        break;
    case PlayMode::Continuous:
    case PlayMode::Random:
    default:
        leftAtEnd_ = true;
        followEnd();
        break;
    }
}

bool PositionTimer::stepsOn() const
{
    const int mode = mode_.get_play_mode();
    return mode == PlayMode::Continuous || mode == PlayMode::Random;
}

void PositionTimer::followEnd()
{
    if (!leftAtEnd_ || !stepsOn())
        return;
    if (canStep_ && !canStep_()) {
        // Ticks look again until there is something to play.
        if (!timer_->isActive())
            timer_->start();
        return;
    }
    leftAtEnd_ = false;
    emit nextItemWanted();
}

void PositionTimer::wind()
{
    const double step = windStep_;
    if (step == 0) {
        // Leaving the winding: the movie's own volume comes back.
        if (silenced_ && movie_.setAudioVolume(movie_.volume()))
            silenced_ = false;
        return;
    }
    silenced_ = movie_.setAudioVolume(-10000) || silenced_;
    double position = 0;
    double duration = 0;
    if (!movie_.currentPosition(&position) || !movie_.duration(&duration))
        return;
    movie_.setCurrentPosition(std::clamp(position + step, 0.0, duration));
}

void PositionTimer::clearTimes()
{
    window_.lblMedia(3)->setText(QStringLiteral("00:00"));
    setElapsedText(QStringLiteral(" 00:00 "));
}

void PositionTimer::setElapsedText(const QString &text)
{
    QLabel *label = window_.lblMedia(4);
    if (label->text() == text)
        return;
    label->setText(text);
    lblMedia_Change(4);
}

void PositionTimer::lblMedia_Change(int index)
{
    if (index == 4)
        window_.timeForFullscreen()->setText(window_.lblMedia(4)->text());
}
