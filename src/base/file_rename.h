#pragma once

#include <QString>

// Renaming a file inside its folder, for the file page and the favourites.
namespace file_rename
{

// False for what is no file name of its own: "", ".", "..", and names with
// "/" (which would move the file elsewhere) or NUL.
bool isAcceptableName(const QString &name);

// Renames oldPath to newPath unless something is already called newPath: an
// existing file is never replaced, even one made in the meantime.  False on
// any failure; then nothing changed.
bool renameNoReplace(const QString &oldPath, const QString &newPath);

} // namespace file_rename
