#pragma once

#include <QString>

// Where the program keeps its state files: the executable's folder when it is
// writable (a portable install), otherwise $XDG_DATA_HOME/sazanami/.  An
// installed copy (<prefix>/bin beside <prefix>/share/sazanami) always uses
// the latter, even where root could write to the executable's folder.  Every
// folder returned ends with "/".
namespace program_folder
{

QString forExecutableDir(const QString &executableDir);
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
