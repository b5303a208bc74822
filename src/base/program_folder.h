#pragma once

#include <QString>

// Where the program keeps its state files: the executable's folder when it is
// writable (a portable install), otherwise $XDG_DATA_HOME/sazanami/.  Every
// folder returned ends with "/".
namespace program_folder
{

QString forExecutableDir(const QString &executableDir);
QString imageFolder(const QString &programFolder);
QString sceneFolder(const QString &programFolder);

} // namespace program_folder
