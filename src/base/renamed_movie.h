#pragma once

#include <QString>

// What belongs to a movie by its name follows it when it is renamed: its
// thumbnail and its scene file, both named by the movie's base name.
namespace renamed_movie
{

// After the movie oldPath was renamed to newPath in its folder, renames its
// thumbnail in imageFolder and its scene file in sceneFolder to go with the
// new name.  Each stays where it is when another file of the folder still
// goes by the old base name (clip.avi and clip.mpg share them), when the new
// name already has one (another movie's, kept), or when its folder is a link
// or another user's.  Returns how many were moved.
int follow(const QString &oldPath, const QString &newPath, const QString &imageFolder,
           const QString &sceneFolder);

} // namespace renamed_movie
