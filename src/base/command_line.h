#pragma once

#include <QString>
#include <QStringList>

// The movie named on the command line.  A shell hands the path over split at
// its blanks, so the arguments are joined again by single blanks and the
// longest prefix (ending before a blank, or the whole text) that names an
// existing file is the path; words after it are ignored.  With no such prefix
// the whole text is the path.
namespace command_line
{

QString joinArguments(const QStringList &arguments);
// Absolute form of a command-line path, resolved against currentDir without
// following symbolic links.  Empty stays empty.
QString getlongpath(const QString &path, const QString &currentDir);
QString findMoviePath(const QString &commandLine);

// What a start asks for.  "--help" (or "-h") and "--version" ask for text
// instead of a movie, but only when the command line does not name an
// existing file: a movie named "--help" is still a movie.
enum class Request { Run, Help, Version };
Request request(const QStringList &arguments, const QString &currentDir);

} // namespace command_line
