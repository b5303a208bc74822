#include "playback/next_movie.h"

#include "media/cmovie.h"
#include "playback/play_sequencing.h"
#include "playback/playback_log.h"

#include <utility>

NextMovie::NextMovie(CMovie &movie, PlaySequencer &sequencer, std::function<bool()> stepsOn,
                     QObject *parent)
    : QObject(parent), movie_(movie), sequencer_(sequencer), stepsOn_(std::move(stepsOn))
{
}

void NextMovie::replan()
{
    if (!movie_.isOpen() || movie_.isOpening())
        return;
    QString next;
    if (stepsOn_ && stepsOn_()) {
        if (const std::optional<PlaySequencer::Plan> plan = sequencer_.planNext())
            next = plan->path;
    }
    movie_.prepareNext(next, !next.isEmpty() && startFinder_ ? startFinder_(next) : 0);
}

void NextMovie::followAdvance(const QString &path, qint16 result)
{
    if (sequencer_.followPrepared(path)) {
        emit advanced(path, result);
        return;
    }
    qCInfo(lcPlayback) << "the movie prepared is no longer the next one:" << path;
    if (stepsOn_ && stepsOn_()) {
        emit stepWanted();
        return;
    }
    // Play was to stop at the end of the last movie: this one stays, stopped.
    movie_.MediaPlay(PlayCommand::Stop);
    emit advanced(path, result);
}

void NextMovie::advanceFailed(const QString &path)
{
    qCInfo(lcPlayback) << "the movie prepared would not play:" << path;
    emit stepWanted();
}
