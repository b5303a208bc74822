#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its state files: the executable's folder when it is
// writable and no other user can write it (a portable install) or already holds state files of the
// program (a portable copy on a read-only disk, whose state is read and kept for the session only),
// otherwise $XDG_DATA_HOME/sazanami/, made private to the user when it is made.  An installed copy
// (<prefix>/bin beside <prefix>/share/sazanami) always uses the latter, even where root could write
// to the executable's folder.  Every folder returned ends with "/".
namespace program_folder
{

QString forExecutableDir(const QString &executableDir);
// The names of the state files kept in the program folder.
QStringList stateFileNames();
// Whether a file can really be created in dir (a read-only mount or a folder
// without write permission cannot take one).
bool canWriteIn(const QString &dir);
// The folder of the program's shipped data in an installed copy:
// <prefix>/share/sazanami/ for an executable in <prefix>/bin; "" otherwise.
QString installedDataFolder(const QString &executableDir);
// help.html beside the executable (portable) or in the installed data
// folder; "" when there is none.
QString helpFile(const QString &executableDir);
QString imageFolder(const QString &programFolder);
QString sceneFolder(const QString &programFolder);

} // namespace program_folder
