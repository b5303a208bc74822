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

void PlaySequencer::cancelPending()
{
    ++stepSerial_;
    pending_ = false;
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
    lastDirection_ = direction;
    playIfThere(*source, source->currentIndex(), direction);
}

// Whether the file is there is asked off the window's thread; the step is
// carried out once the answer comes, unless another step or a stop came
// first.
void PlaySequencer::playIfThere(PlaySource &source, int index, Direction direction)
{
    const quint64 serial = ++stepSerial_;
    if (index < 0) {
        source.missing(index, direction);
        return;
    }
    const QString path = source.pathAt(index);
    pending_ = true;
    source.askExists(index, this, [this, serial, &source, index, path, direction](bool there) {
        if (serial != stepSerial_)
            return;
        pending_ = false;
        if (!there || source.pathAt(index) != path) {
            source.missing(index, direction);
            return;
        }
        wanted_ = path;
        // A copy goes out: the open may end (and clear wanted_) before
        // every receiver has seen the path.
        emit playWanted(QString(path));
    });
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

std::optional<PlaySequencer::Plan> PlaySequencer::planNext()
{
    PlaySource *source = source_ ? source_() : nullptr;
    // A list still being filled may not hold the entry that plays yet.
    if (!source || source->count() == 0 || !source->complete())
        return std::nullopt;
    const int index = playMode_() == PlayMode::Random ? randomPick(*source)
                                                      : nextInOrder(*source, Direction::Next);
    if (index < 0)
        return std::nullopt;
    return Plan{source, index, source->pathAt(index)};
}

bool PlaySequencer::followPrepared(const QString &path)
{
    const std::optional<Plan> plan = planNext();
    if (!plan || plan->path != path)
        return false;
    cancelPending();
    stepped_ = plan->source;
    lastDirection_ = Direction::Next;
    if (playMode_() == PlayMode::Random)
        pick_.reset();
    selectAsStep(*plan->source, plan->index, Direction::Next);
    wanted_ = path;
    return true;
}

void PlaySequencer::move(PlaySource &source, Direction direction)
{
    if (playMode_() == PlayMode::Random) {
        const int r = randomPick(source);
        pick_.reset();
        if (r != -1)
            source.select(r, true);
        return;
    }
    selectAsStep(source, nextInOrder(source, direction), direction);
}

int PlaySequencer::nextInOrder(const PlaySource &source, Direction direction) const
{
    const int count = source.count();
    const int current = source.currentIndex();
    if (direction == Direction::Next)
        return current < count - 1 ? current + 1 : 0;
    return current > 0 ? current - 1 : count - 1;
}

// Going round the end of the list brings the entry to the top line.
void PlaySequencer::selectAsStep(PlaySource &source, int index, Direction direction)
{
    if (playMode_() == PlayMode::Random) {
        source.select(index, true);
        return;
    }
    const int current = source.currentIndex();
    const bool wrapped = direction == Direction::Next ? index <= current : index >= current;
    source.select(index, wrapped);
}

// The pick is made once and kept, so that the movie prepared ahead is the
// one that plays; a list that changed size gets a new one.
int PlaySequencer::randomPick(PlaySource &source)
{
    const int count = source.count();
    if (pick_ && pick_->source == &source && pick_->count == count)
        return pick_->index;
    pick_ = Pick{&source, count, picker_.pick_random(count)};
    return pick_->index;
}
