#pragma once

#include "base/chapters.h"

#include <QList>
#include <QString>

// What the media session is doing: 0 nothing open, then the values the play
// commands leave (1 playing, 2 paused, 3 stopped on the first frame).
enum class PlayState { None = 0, Playing = 1, Paused = 2, Stopped = 3 };

// What a play command asks of the open movie.
enum class PlayCommand { Play = 1, Pause = 2, Stop = 3 };

// One sound, picture or subtitle track of the open movie.
struct MediaTrack {
    enum class Kind { Video, Audio, Subtitle };
    Kind kind = Kind::Video;
    int id = 0;
    QString title;
    QString language;
    bool selected = false;
    bool external = false;

    bool operator==(const MediaTrack &) const = default;
};

// The open movie as mpv last reported it.  The session keeps it up to date
// from mpv's property changes, so reading it never waits for mpv.
struct MediaState {
    // A movie is loaded (opened and not closed or lost).
    bool loaded = false;
    // Seconds; valid only while loaded.
    double timePos = 0;
    bool hasTimePos = false;
    double duration = 0;
    bool hasDuration = false;
    bool paused = true;
    // At the end of the movie: mpv holds its last frame.
    bool atEnd = false;
    double speed = 1.0;
    // The size of the picture as mpv's filters give it, 0 without video, and
    // the quarter turns its output still makes when drawing (degrees
    // clockwise): a phone's movie filmed upright is stored on its side.
    int videoWidth = 0;
    int videoHeight = 0;
    int videoRotation = 0;
    // mpv's volume in percent, when there is sound.
    double volume = 100.0;
    QList<MediaTrack> tracks;
    // The movie's chapters, in order, and the one playing (-1 none).
    QList<Chapter> chapters;
    int chapter = -1;

    // The size the picture is shown at, upright.
    int shownWidth() const { return videoRotation % 180 == 90 ? videoHeight : videoWidth; }
    int shownHeight() const { return videoRotation % 180 == 90 ? videoWidth : videoHeight; }

    bool hasAudio() const
    {
        for (const MediaTrack &track : tracks)
            if (track.kind == MediaTrack::Kind::Audio && track.selected)
                return true;
        return false;
    }

    bool operator==(const MediaState &) const = default;
};
