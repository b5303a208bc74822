#include "playback/movie_places.h"

#include "base/state_file.h"
#include "media/cmovie.h"
#include "playback/playback_log.h"

MoviePlaces::MoviePlaces(CMovie &movie, const QString &programFolder, QObject *parent)
    : QObject(parent), movie_(movie), programFolder_(programFolder)
{
    // A movie is left when another is opened or prepared one follows it, or
    // when it is closed: the session's file changes.
    connect(&movie_, &CMovie::stateChanged, this, &MoviePlaces::onStateChanged);
    // The state may have been the next movie's already.
    connect(&movie_, &CMovie::advanced, this, &MoviePlaces::onStateChanged);
    connect(&movie_, &CMovie::endReached, this, &MoviePlaces::onEnd);
    // A jump near the end may run into it before the next tick.  A stop
    // rewinds to 0 first, which is no place to keep.
    connect(&movie_, &CMovie::seeked, this, [this](double seconds) {
        if (seconds > 0)
            notePlace();
    });
}

void MoviePlaces::setOn(bool on)
{
    if (on == on_)
        return;
    on_ = on;
    last_.reset();
    if (on_ && !read_)
        load();
    emit marksChanged();
}

void MoviePlaces::load()
{
    read_ = true;
    const state_file::ReadResult found =
        state_file::read(statePath(), state_file::kDefaultReadLimit, &WatchedPlaces::isInFormat);
    if (found.found == state_file::Found::Unreadable) {
        // Kept for this session only: the file is not written over.
        qCWarning(lcPlayback) << "cannot read" << statePath()
                              << "- the places of the movies are not saved";
        return;
    }
    places_ = WatchedPlaces::fromText(found.content);
    qCDebug(lcPlayback) << places_.size() << "movie places read";
}

double MoviePlaces::startFor(const QString &path)
{
    if (!on_)
        return 0;
    keepLoadedPlace();
    return places_.startOf(path);
}

double MoviePlaces::startAfter(const QString &path) const
{
    if (!on_ || path == movie_.filename())
        return 0;
    return places_.startOf(path);
}

WatchedPlaces::Mark MoviePlaces::markOf(const QString &path) const
{
    return on_ ? places_.markOf(path) : WatchedPlaces::Mark();
}

// Stopped means rewound to 0, and while the session goes on to the movie
// prepared to follow, the position is already the next one's: neither is
// where the movie loaded was left.
void MoviePlaces::notePlace()
{
    if (!on_ || !movie_.isOpen() || movie_.isOpening() || movie_.isAdvancing())
        return;
    const PlayState state = movie_.playState();
    if (state != PlayState::Playing && state != PlayState::Paused)
        return;
    Place place{movie_.filename(), 0, 0};
    if (place.path.isEmpty() || !movie_.currentPosition(&place.position))
        return;
    movie_.duration(&place.length);
    last_ = place;
}

void MoviePlaces::keepLoadedPlace()
{
    notePlace();
    if (last_)
        keep(*last_);
}

void MoviePlaces::onStateChanged()
{
    if (last_ && last_->path != movie_.filename())
        keep(*std::exchange(last_, std::nullopt));
}

// At its end (or lost by mpv while it played) the movie is left where it
// was last seen, its length when it is held at its end.
void MoviePlaces::onEnd()
{
    keepLoadedPlace();
}

void MoviePlaces::keep(const Place &place)
{
    qCDebug(lcPlayback) << "left" << place.path << "at" << place.position << "of" << place.length;
    if (on_ && places_.leave(place.path, place.position, place.length))
        emit changed();
}
