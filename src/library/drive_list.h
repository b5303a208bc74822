#pragma once

#include <QString>
#include <QStringList>

// The "drives" of the browser: the mounted volumes, each named by the folder
// it is mounted on.
namespace drive_list
{

// Root paths of the volumes that are mounted, ready and folders: "/" first,
// the others sorted.
QStringList mountedRoots();

// roots with root among them, in the same order: a folder must be shown even
// when its volume is missing from the mounted ones (a FUSE file system that
// reports no size is left out of those).
QStringList withRoot(const QStringList &roots, const QString &root);

// The root of the volume that holds path ("/" when that cannot be told).
QString driveOf(const QString &path);

} // namespace drive_list
