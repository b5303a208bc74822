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
    timer_->setProperty("Tag", QString("0"));
    connect(timer_, &QTimer::timeout, this, &PositionTimer::tmrPosition_Timer);
}

void PositionTimer::start()
{
    timer_->start();
}

void PositionTimer::stop()
{
    timer_->stop();
}

bool PositionTimer::isActive() const
{
    return timer_->isActive();
}

void PositionTimer::setTag(double secondsPerTick)
{
    timer_->setProperty("Tag", QString::number(secondsPerTick));
}

double PositionTimer::tag() const
{
    return timer_->property("Tag").toString().toDouble();
}

void PositionTimer::tmrPosition_Timer()
{
    movie_.mblnInCommand = true;

    double position = 0;
    QString elapsed;
    if (movie_.currentPosition(&position)) {
        const int value = int(std::lround(position * 100));
        window_.seekBar()->setValue(value);
        if (movie_.DisplaySize == 1)
            window_.seekBarForFullscreen()->setValue(value);
        elapsed = CMovie::secondsToString(qint32(std::floor(position)));
    }

    keepInsideSection();
    actOnEndOfMedia();

    if (!elapsed.isNull())
        setElapsedText(" " + elapsed + " ");
    movie_.mblnInCommand = false;

    wind();
}

void PositionTimer::keepInsideSection()
{
    SeekBar *bar = window_.seekBar();
    if (bar->SelLength() == 0)
        return;
    double duration = 0;
    double position = 0;
    if (!movie_.duration(&duration) || !movie_.currentPosition(&position))
        return;
    // Past the section's end, or at the movie's end inside it: back to the start.
    if (bar->SelStart() + bar->SelLength() < bar->value() || position >= duration) {
        bar->setValue(bar->SelStart());
        movie_.setCurrentPosition(bar->SelStart() / 100.0);
    }
}

void PositionTimer::actOnEndOfMedia()
{
    double duration = 0;
    double position = 0;
    if (!movie_.duration(&duration) || !movie_.currentPosition(&position))
        return;
    if (position < duration)
        return;

    switch (mode_.get_play_mode()) {
    case PlayMode::Normal:
        stop();
        movie_.MediaPlay(3);
        break;
    case PlayMode::Loop:
        window_.seekBar()->setValue(0);
        movie_.setCurrentPosition(0);
        movie_.MediaPlay(1);
        break;
    case PlayMode::Continuous:
    case PlayMode::Random:
    default:
        emit nextItemWanted();
        break;
    }
}

void PositionTimer::wind()
{
    const double step = tag();
    if (step == 0) {
        // Leaving the winding: the movie's own volume comes back.
        if (silenced_ && movie_.setAudioVolume(movie_.volume))
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
