#include "library/drive_list.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace drive_list
{

QStringList mountedRoots()
{
    QStringList roots{QStringLiteral("/")};
    QStringList others;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        // Containers bind single files such as /etc/hosts; those are no
        // place to browse.
        if (root.isEmpty() || roots.contains(root) || others.contains(root) ||
            !QFileInfo(root).isDir())
            continue;
        others.append(root);
    }
    std::sort(others.begin(), others.end());
    return roots + others;
}

QString driveOf(const QString &path)
{
    const QStorageInfo volume(path);
    const QString root = volume.isValid() ? volume.rootPath() : QString();
    return root.isEmpty() ? QStringLiteral("/") : root;
}

} // namespace drive_list
