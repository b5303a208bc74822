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

QStringList withRoot(const QStringList &roots, const QString &root)
{
    if (root.isEmpty() || roots.contains(root))
        return roots;
    QStringList others = roots.mid(1);
    others.insert(std::lower_bound(others.begin(), others.end(), root), root);
    return roots.mid(0, 1) + others;
}

QString driveOf(const QString &path)
{
    const QStorageInfo volume(path);
    const QString root = volume.isValid() ? volume.rootPath() : QString();
    return root.isEmpty() ? QStringLiteral("/") : root;
}

} // namespace drive_list
