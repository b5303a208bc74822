#pragma once

#include <QString>
#include <QStringList>

// What belongs to a movie by its name follows it when it is renamed: its
// thumbnail and its scene file, both named by the movie's base name.
namespace renamed_movie
{

// After the movie oldPath was renamed to newPath in its folder, renames its
// thumbnail in imageFolder and its scene file in sceneFolder to go with the
// new name.  Each stays where it is when another movie still goes by the old
// base name - a file of the folder (clip.avi and clip.mpg share them) or one
// of otherMovies, the movies the program knows elsewhere (a same-named movie
// of another folder shares them too) - when the new name already has one
// (another movie's, kept), or when its folder is a link or another user's.
// Returns how many were moved.
int follow(const QString &oldPath, const QString &newPath, const QString &imageFolder,
           const QString &sceneFolder, const QStringList &otherMovies = {});

} // namespace renamed_movie
