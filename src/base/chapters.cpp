#include "base/chapters.h"

#include "base/media_time.h"

#include <cmath>

namespace chapters
{

// Chapter starts and positions come from the container and from mpv as
// doubles; a position a hair before a start it was just sent to counts as
// being there.
constexpr double kSameTime = 0.01;

int indexAt(const QList<Chapter> &list, double seconds)
{
    int index = -1;
    for (int i = 0; i < list.size(); ++i) {
        if (list[i].start <= seconds + kSameTime)
            index = i;
    }
    return index;
}

std::optional<double> nextStart(const QList<Chapter> &list, double seconds)
{
    const int next = indexAt(list, seconds) + 1;
    if (next >= list.size())
        return std::nullopt;
    return list[next].start;
}

std::optional<double> previousStart(const QList<Chapter> &list, double seconds)
{
    if (list.isEmpty())
        return std::nullopt;
    int index = indexAt(list, seconds);
    if (index >= 0 && seconds - list[index].start < kBackThreshold)
        --index;
    return index >= 0 ? list[index].start : 0.0;
}

QString caption(const QList<Chapter> &list, int index)
{
    if (index < 0 || index >= list.size())
        return QString();
    const Chapter &chapter = list[index];
    const QString time = media_time::secondsToString(qint32(std::floor(chapter.start)));
    const QString title = chapter.title.trimmed();
    return QStringLiteral("%1 %2").arg(
        time, title.isEmpty() ? QStringLiteral("チャプター %1").arg(index + 1) : title);
}

} // namespace chapters
