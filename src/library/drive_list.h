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

// The root of the volume that holds path ("/" when that cannot be told).
QString driveOf(const QString &path);

} // namespace drive_list
