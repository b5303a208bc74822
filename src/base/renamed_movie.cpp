#include "base/renamed_movie.h"

#include "base/base_log.h"
#include "base/folder_file.h"
#include "base/native_path.h"
#include "base/path.h"
#include "base/scene_file.h"
#include "base/thumbnail_rules.h"

namespace renamed_movie
{

namespace
{

// Renamed without following a link of its folder (a shared disk's image
// folder may hold one planted by another user) and without replacing.
bool move(const QString &from, const QString &to)
{
    if (from == to || !native_path::isFile(from))
        return false;
    if (folder_file::prepareFolder(path::getfiledir(from)) != folder_file::Result::Written)
        return false;
    if (!native_path::renameNoReplace(from, to)) {
        qCInfo(lcBase) << "not moved with its movie:" << from << "to" << to;
        return false;
    }
    return true;
}

} // namespace

int follow(const QString &oldPath, const QString &newPath, const QString &imageFolder,
           const QString &sceneFolder, const QStringList &otherMovies)
{
    const QString oldBase = path::getbasename(oldPath);
    if (oldBase == path::getbasename(newPath))
        return 0;
    for (const QString &other : otherMovies) {
        if (other != oldPath && other != newPath && path::getbasename(other) == oldBase)
            return 0;
    }
    for (const QString &name :
         native_path::entries(path::getfiledir(newPath), native_path::Kind::Files)) {
        if (path::getbasename(name) == oldBase)
            return 0;
    }
    int moved = 0;
    moved += move(thumbnail_rules::thumbnailPath(imageFolder, oldPath),
                  thumbnail_rules::thumbnailPath(imageFolder, newPath));
    moved +=
        move(SceneFile::pathFor(sceneFolder, oldPath), SceneFile::pathFor(sceneFolder, newPath));
    return moved;
}

} // namespace renamed_movie
