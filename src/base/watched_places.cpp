#include "base/watched_places.h"

#include "base/native_path.h"
#include "base/state_file.h"

#include <QList>
#include <QStringList>
#include <algorithm>

namespace
{

constexpr double kEnded = -1;

} // namespace

bool WatchedPlaces::leave(const QString &path, double position, double length)
{
    // A name with a line break would read back as two bogus lines.
    if (path.isEmpty() || !state_file::fitsOnALine(path) || !(position >= 0))
        return false;
    const bool knownLength = length > 0;
    if (knownLength && position >= length - kMarginSeconds && position >= length / 2)
        return put(path, kEnded, length);
    if (position > kMarginSeconds)
        return put(path, position, knownLength ? length : 0);
    return false;
}

double WatchedPlaces::startOf(const QString &path) const
{
    const auto found = entries_.constFind(path);
    return found == entries_.cend() || found->position < 0 ? 0 : found->position;
}

WatchedPlaces::Mark WatchedPlaces::markOf(const QString &path) const
{
    const auto found = entries_.constFind(path);
    if (found == entries_.cend())
        return {};
    if (found->position < 0)
        return {Mark::Kind::Ended, 1};
    const double fraction = found->length > 0 ? found->position / found->length : 0;
    return {Mark::Kind::PartWay, std::clamp(fraction, 0.0, 1.0)};
}

bool WatchedPlaces::put(const QString &path, double position, double length)
{
    Entry entry{position, length, nextStamp_++};
    auto found = entries_.find(path);
    if (found != entries_.end()) {
        const bool same = *found == entry;
        *found = entry;
        return !same;
    }
    entries_.insert(path, entry);
    if (!reading_)
        keepMost();
    return true;
}

QList<QHash<QString, WatchedPlaces::Entry>::const_iterator> WatchedPlaces::oldestFirst() const
{
    QList<QHash<QString, Entry>::const_iterator> order;
    order.reserve(entries_.size());
    for (auto it = entries_.cbegin(); it != entries_.cend(); ++it)
        order.append(it);
    std::sort(order.begin(), order.end(),
              [](const auto &a, const auto &b) { return a->stamp < b->stamp; });
    return order;
}

void WatchedPlaces::keepMost()
{
    if (entries_.size() <= kMostMovies)
        return;
    // One more than the most, as a movie is left: a look through 5,000.
    if (entries_.size() == kMostMovies + 1) {
        entries_.erase(
            std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry &a, const Entry &b) { return a.stamp < b.stamp; }));
        return;
    }
    QStringList oldest;
    const auto order = oldestFirst();
    for (qsizetype i = 0; i < order.size() - kMostMovies; ++i)
        oldest.append(order[i].key());
    for (const QString &path : oldest)
        entries_.remove(path);
}

QByteArray WatchedPlaces::text() const
{
    QByteArray text;
    for (const auto &it : oldestFirst()) {
        text += it->position < 0 ? QByteArray("-1") : QByteArray::number(it->position, 'f', 3);
        text += '\t';
        text += QByteArray::number(it->length, 'f', 3);
        text += '\t';
        text += native_path::encode(it.key());
        text += "\n";
    }
    return text;
}

WatchedPlaces WatchedPlaces::fromText(const QByteArray &text)
{
    WatchedPlaces places;
    // A hand-made file of many more lines is cut once, at the end.
    places.reading_ = true;
    for (const QByteArray &line : state_file::splitLines(text)) {
        const qsizetype first = line.indexOf('\t');
        const qsizetype second = first < 0 ? -1 : line.indexOf('\t', first + 1);
        if (second < 0 || second + 1 >= line.size())
            continue;
        bool positionRead = false;
        bool lengthRead = false;
        const double position = line.left(first).toDouble(&positionRead);
        const double length = line.mid(first + 1, second - first - 1).toDouble(&lengthRead);
        if (!positionRead || !lengthRead || !(length >= 0) ||
            !(position >= 0 || position == kEnded))
            continue;
        // The path is the rest of the line, tabs and all.
        places.put(native_path::decode(line.mid(second + 1)), position, length);
    }
    places.reading_ = false;
    places.keepMost();
    return places;
}

bool WatchedPlaces::isInFormat(const QByteArray &content)
{
    return state_file::holdsLineStartingWith(content, "-0123456789");
}
