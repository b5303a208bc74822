#include "base/command_line.h"

#include "base/native_path.h"

#include <QDir>

namespace command_line
{

QString joinArguments(const QStringList &arguments)
{
    return arguments.join(u' ');
}

QString getlongpath(const QString &path, const QString &currentDir)
{
    if (path.isEmpty())
        return QString();
    // Lexical only: "." and ".." are folded, symbolic links stay as named so
    // the file browser shows the folder the user typed.
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    return QDir::cleanPath(currentDir + u'/' + path);
}

QString findMoviePath(const QString &commandLine)
{
    QString found;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        if (commandLine.at(i) != u' ')
            continue;
        const QString candidate = commandLine.left(i);
        if (native_path::isFile(candidate))
            found = candidate;
    }
    // The whole text is the longest candidate of all: when it names a file,
    // a shorter file that happens to match its beginning ("a" for "a b.avi")
    // must not win.
    if (found.isEmpty() || native_path::isFile(commandLine))
        return commandLine;
    return found;
}

Request request(const QStringList &arguments, const QString &currentDir)
{
    if (arguments.isEmpty())
        return Request::Run;
    const QString commandLine = getlongpath(joinArguments(arguments), currentDir);
    if (native_path::isFile(findMoviePath(commandLine)))
        return Request::Run;
    const QString &first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h"))
        return Request::Help;
    if (first == QLatin1String("--version"))
        return Request::Version;
    return Request::Run;
}

} // namespace command_line
