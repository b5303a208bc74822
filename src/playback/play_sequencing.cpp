#include "playback/play_sequencing.h"

#include "playback/play_mode.h"
#include "playback/playback_log.h"

#include <utility>

PlaySequencer::PlaySequencer(ActivePlaySource source, std::function<int()> playMode,
                             QObject *parent)
    : QObject(parent), source_(std::move(source)), playMode_(std::move(playMode))
{
}

void PlaySequencer::play_next()
{
    step(Direction::Next, source_ ? source_() : nullptr);
}

void PlaySequencer::play_prev()
{
    step(Direction::Previous, source_ ? source_() : nullptr);
}

void PlaySequencer::play_next_in(PlaySource *source)
{
    step(Direction::Next, source);
}

void PlaySequencer::play_prev_in(PlaySource *source)
{
    step(Direction::Previous, source);
}

// Pages without a list (the options) and empty lists leave the playing movie
// alone.  A vanished entry is not skipped: the source decides what it means.
void PlaySequencer::step(Direction direction, PlaySource *source)
{
    if (!source || source->count() == 0)
        return;
    stepped_ = source;
    const bool random = playMode_() == PlayMode::Random;
    if (!random && source->stopsBeforeStep(direction))
        emit stopWanted();
    move(*source, direction);

    const int current = source->currentIndex();
    lastDirection_ = direction;
    if (current >= 0 && source->exists(current)) {
        // A copy goes out: the open may end (and clear wanted_) before
        // every receiver has seen the path.
        const QString path = source->pathAt(current);
        wanted_ = path;
        emit playWanted(path);
    } else {
        source->missing(current, direction);
    }
}

bool PlaySequencer::stepsOverFailures() const
{
    const int mode = playMode_();
    return mode == PlayMode::Continuous || mode == PlayMode::Random;
}

void PlaySequencer::openFailed(const QString &path)
{
    if (path != std::exchange(wanted_, QString()) || !stepsOverFailures())
        return;
    PlaySource *source = stepped_;
    if (!source || ++failedInARow_ >= source->count()) {
        qCInfo(lcPlayback) << "no movie of the list would open; play stops";
        failedInARow_ = 0;
        return;
    }
    qCInfo(lcPlayback) << "stepping over a movie that would not open:" << path;
    step(lastDirection_, source);
}

void PlaySequencer::opened()
{
    wanted_.clear();
    failedInARow_ = 0;
}

void PlaySequencer::move(PlaySource &source, Direction direction)
{
    const int count = source.count();
    if (playMode_() == PlayMode::Random) {
        const int r = picker_.pick_random(count);
        if (r != -1)
            source.select(r, true);
        return;
    }
    const int current = source.currentIndex();
    if (direction == Direction::Next) {
        if (current < count - 1)
            source.select(current + 1, false);
        else
            source.select(0, true);
    } else {
        if (current > 0)
            source.select(current - 1, false);
        else
            source.select(count - 1, true);
    }
}
