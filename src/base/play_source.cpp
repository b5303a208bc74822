#include "base/play_source.h"

#include "base/file_probe.h"

#include <QObject>

void PlaySource::askExists(int index, QObject *context, std::function<void(bool)> then)
{
    file_probe::isFile(pathAt(index), context, [then = std::move(then)](file_probe::Answer answer) {
        then(answer == file_probe::Answer::File);
    });
}

QString PlaySource::currentOrFirstPath()
{
    if (count() <= 0)
        return QString();
    if (currentIndex() < 0)
        select(0, false);
    return pathAt(currentIndex());
}
