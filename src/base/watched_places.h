#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// Where each movie was left: its position when it was stopped, changed or
// closed part-way, or that it was played to its end.  Kept for the most
// recent movies only, the oldest dropped first, in the file positions.ini:
// one movie a line, oldest first,
//   <position> TAB <length> TAB <path>
// in seconds, position -1 for a movie played to its end, the path's bytes as
// the system has them (names that are not UTF-8 kept byte for byte).
class WatchedPlaces
{
public:
    static constexpr int kMostMovies = 5000;
    // Left within this many seconds of its start a movie's place stays as it
    // was; within this many seconds of its end it counts as played through.
    static constexpr double kMarginSeconds = 30;

    // What a list shows beside a movie's name.
    struct Mark {
        enum class Kind { None, PartWay, Ended };
        Kind kind = Kind::None;
        double fraction = 0; // how far it was watched, 0..1, for PartWay
    };

    // The movie at path was left at position seconds of its length (0 when
    // the length is not known).  Part-way, the place is remembered; within
    // its last seconds (or its second half when it is shorter than twice the
    // margin), it counts as played to its end and the place goes; near its
    // start nothing changes, so a glance at a movie never loses its place.
    // True when what is kept changed.
    bool leave(const QString &path, double position, double length);

    // Where the movie is to start: its place, or 0.
    double startOf(const QString &path) const;
    Mark markOf(const QString &path) const;
    int size() const { return int(entries_.size()); }

    QByteArray text() const;
    // Lines that cannot be read are skipped; of more than kMostMovies the
    // newest are kept.
    static WatchedPlaces fromText(const QByteArray &text);
    // Whether content can be this file (for state_file::read).
    static bool isInFormat(const QByteArray &content);

private:
    struct Entry {
        double position = 0; // -1: played to its end
        double length = 0;
        quint64 stamp = 0; // larger is newer
        bool operator==(const Entry &other) const
        {
            return position == other.position && length == other.length;
        }
    };
    // False when the movie's entry was already that.
    bool put(const QString &path, double position, double length);
    void keepMost();
    QList<QHash<QString, Entry>::const_iterator> oldestFirst() const;

    QHash<QString, Entry> entries_;
    quint64 nextStamp_ = 1;
    bool reading_ = false;
};
