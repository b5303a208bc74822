#include "base/play_source.h"

#include <QFileInfo>

bool PlaySource::exists(int index) const
{
    const QString path = pathAt(index);
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString PlaySource::currentOrFirstPath()
{
    if (count() <= 0)
        return QString();
    if (currentIndex() < 0)
        select(0, false);
    return pathAt(currentIndex());
}
