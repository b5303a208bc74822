#pragma once

#include <QList>
#include <QString>
#include <optional>

// A movie's chapters as its container lists them, and the moves between them
// that the chapter commands make.
struct Chapter {
    double start = 0; // seconds
    QString title;

    bool operator==(const Chapter &) const = default;
};

namespace chapters
{

// Going back within this many seconds of a chapter's start goes on to the
// chapter before it rather than back to this one's start.
constexpr double kBackThreshold = 5.0;

// The chapter playing at `seconds`: the last one that starts at or before it;
// -1 before the first or without chapters.
int indexAt(const QList<Chapter> &list, double seconds);

// Where "next chapter" goes from `seconds`: the start of the first chapter
// after the one playing; nothing from the last chapter.
std::optional<double> nextStart(const QList<Chapter> &list, double seconds);

// Where "previous chapter" goes: the start of the chapter playing, or of the
// one before it when that start is less than kBackThreshold behind.  Before
// the first chapter, or from the first one's opening seconds, the movie's
// start.  Nothing without chapters.
std::optional<double> previousStart(const QList<Chapter> &list, double seconds);

// A chapter's entry in the menu: its title, or its number and start time
// when it has none.
QString caption(const QList<Chapter> &list, int index);

} // namespace chapters
