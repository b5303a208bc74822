#pragma once

#include <QObject>
#include <QString>
#include <functional>

class CMovie;
class PlaySequencer;

// Continuous and random play without a seam: the movie that the end of the
// playing one leads to is prepared in the media session ahead of time, and
// the program follows the session when it goes on to it.  What comes next is
// decided by the play sequencing, again whenever it may have changed; a movie
// that is to stop or loop at its end has none prepared.
class NextMovie : public QObject
{
    Q_OBJECT
public:
    // stepsOn tells whether the end of the playing movie leads to another:
    // the play mode is continuous or random, and no section of the seek bar
    // is being repeated.
    NextMovie(CMovie &movie, PlaySequencer &sequencer, std::function<bool()> stepsOn,
              QObject *parent = nullptr);

    // Where the movie prepared starts (where it was left); without one, at 0.
    void setStartFinder(std::function<double(const QString &path)> finder)
    {
        startFinder_ = std::move(finder);
    }

    // Decides the next movie again and prepares it, or none.
    void replan();
    // The session went on to the movie prepared: the sequence follows it when
    // it is still the one wanted, and steps on as at any end otherwise.
    void followAdvance(const QString &path, qint16 result);
    // The movie prepared would not play: the sequence steps on as at any end,
    // which opens the next movie the usual way (or steps over it).
    void advanceFailed(const QString &path);

signals:
    // The movie path, prepared ahead, plays now; result as for CMovie::opened.
    void advanced(const QString &path, qint16 result);
    // The end of the last movie is to be acted on the usual way.
    void stepWanted();

private:
    CMovie &movie_;
    PlaySequencer &sequencer_;
    std::function<bool()> stepsOn_;
    std::function<double(const QString &)> startFinder_;
};
