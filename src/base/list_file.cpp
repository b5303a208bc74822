#include "base/list_file.h"

#include "base/base_log.h"
#include "base/native_path.h"
#include "base/path.h"
#include "base/state_file.h"

namespace list_file
{

namespace
{

// A line as a path: relative forms resolved, URLs turned into their local
// file; "" for what names no file here.
QString resolve(const QString &line, const QString &base)
{
    if (line.startsWith(u'/') || line.startsWith(u'#'))
        return line;
    if (line.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return native_path::fromFileUrl(line);
    if (line.contains(QLatin1String("://")))
        return QString();
    if (line.startsWith(QLatin1String("./")) || line.startsWith(QLatin1String("../")))
        return path::getabsolutepath(line, base);
    // Other players write names beside the playlist without "./".
    return path::addbackslash(base) + line;
}

} // namespace

std::optional<Entry> split(const QString &fullPath)
{
    const qsizetype slash = fullPath.lastIndexOf(u'/');
    if (slash < 0 || slash == fullPath.size() - 1)
        return std::nullopt;
    return Entry{fullPath.left(slash + 1), fullPath.mid(slash + 1)};
}

QStringList paths(const QByteArray &content, const QString &base)
{
    QStringList result;
    bool first = true;
    for (const QByteArray &bytes : state_file::splitLines(content)) {
        QString line = native_path::decode(bytes);
        if (first && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        first = false;
        if (line.isEmpty())
            continue;
        const QString resolved = resolve(line, base);
        // A NUL ends the name where the system reads it: "shadow.bmp\0.avi"
        // would stand for another file.
        if (resolved.isEmpty() || resolved.startsWith(u'#') || resolved.contains(QChar(0)) ||
            !split(resolved))
            continue;
        result.append(resolved);
    }
    return result;
}

bool isListFormat(const QByteArray &content)
{
    return state_file::holdsLineStartingWith(content, "/.");
}

QByteArray write(const QList<Entry> &entries, const QString &listFolder, bool relative)
{
    const QString base = path::addbackslash(listFolder);
    QByteArray text;
    for (const Entry &entry : entries) {
        if (entry.folder.isEmpty() || entry.name.isEmpty())
            continue;
        if (!state_file::fitsOnALine(entry.path())) {
            qCWarning(lcBase) << "a name with a line break is not written:" << entry.path();
            continue;
        }
        const QString folder = relative ? path::getrelativepath(entry.folder, base) : entry.folder;
        text += native_path::encode(path::addbackslash(folder) + entry.name);
        text += "\r\n";
    }
    return text;
}

} // namespace list_file
