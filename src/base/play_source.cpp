#include "base/play_source.h"

#include "base/native_path.h"

bool PlaySource::exists(int index) const
{
    const QString path = pathAt(index);
    return !path.isEmpty() && native_path::isFile(path);
}

QString PlaySource::currentOrFirstPath()
{
    if (count() <= 0)
        return QString();
    if (currentIndex() < 0)
        select(0, false);
    return pathAt(currentIndex());
}
