#pragma once

#include <QString>
#include <QStringList>

// The movies the program lists, plays, searches, takes in and offers to
// open, told by their extensions (without the dot, any case).  The six types
// of old (mpg, mpeg, avi, asf, wmv, mov) always count; the other containers
// of today (mp4, mkv, webm, ...) count as well while the option for them is
// on (`moreFormats`).  Every part that tells a movie by its name asks here,
// so the types are written down once.

// True for a movie's extension: one of the six, or with moreFormats one of
// the others too.
bool is_movie_ext(const QString &ext, bool moreFormats = false);

// The extensions in the order of the association boxes and of a folder taken
// into the favourites: mpg, mpeg, avi, asf, wmv, mov, then with moreFormats
// the others in the order of more_movie_extensions().
const QStringList &movie_extensions(bool moreFormats = false);

// The other types alone: those mpv plays here besides the six, most common
// first.
const QStringList &more_movie_extensions();

// The file page's name pattern: the six as the page has always matched them
// ("*asf" without its dot included), then "*.mp4" and the others with
// moreFormats.
QString movie_list_pattern(bool moreFormats);

// The freedesktop MIME type of one of the other types (fixed here: ".ts" is
// also Qt Linguist's, and m1v/m2v have no glob of their own); "" for any
// other extension.
QString more_movie_mime_type(const QString &ext);
