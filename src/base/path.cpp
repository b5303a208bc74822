#include "base/path.h"

#include "base/native_path.h"
#include <QDir>

namespace path
{

namespace
{

const QChar separator = u'/';

// The name after the last separator, or the whole text when there is none.
QString lastName(const QString &path)
{
    return path.mid(path.lastIndexOf(separator) + 1);
}

} // namespace

QString addbackslash(const QString &path)
{
    if (path.endsWith(separator))
        return path;
    return path + separator;
}

QString removebackslash(const QString &path)
{
    if (path.endsWith(separator))
        return path.chopped(1);
    return path;
}

QString getfiledir(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(separator);
    if (slash < 0)
        return QString();
    return path.left(slash);
}

QString getbasename(const QString &path)
{
    const QString name = lastName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return name;
    return name.left(dot);
}

QString getextension(const QString &path)
{
    // A name without a dot is its own "extension": callers compare the result
    // with their lists of extensions, and a bare name never matches them.
    const QString name = lastName(path);
    return name.mid(name.lastIndexOf(u'.') + 1);
}

int checkpath(const QString &path)
{
    if (path.isEmpty() || !native_path::exists(path))
        return -1;
    // The root has no parent; callers tell it apart by this code.
    if (QDir::cleanPath(path) == QStringLiteral("/"))
        return separator.unicode();
    return 0;
}

QString getparentdir(const QString &folder)
{
    if (checkpath(folder) != 0)
        return QString();
    const QString trimmed = removebackslash(folder);
    return trimmed.left(trimmed.lastIndexOf(separator) + 1);
}

QString getrelativepath(const QString &path, const QString &base)
{
    if (path.startsWith(u'.'))
        return path;

    if (path.startsWith(base)) {
        const QString rest = path.mid(base.size());
        return rest.startsWith(separator) ? u'.' + rest : QStringLiteral("./") + rest;
    }

    // One level up at most.  An empty parent (the base is the root or does not
    // exist) takes in every path whole: "../" goes in front of "/video/b.avi"
    // as it is, since getabsolutepath puts nothing back before the rest.
    const QString parent = getparentdir(base);
    if (path.startsWith(parent)) {
        const QString rest = path.mid(parent.size());
        if (!parent.isEmpty() && rest.startsWith(separator))
            return QStringLiteral("..") + rest;
        return QStringLiteral("../") + rest;
    }
    return path;
}

QString getabsolutepath(const QString &path, const QString &base)
{
    if (!path.startsWith(u'.'))
        return path;
    if (path.startsWith(QStringLiteral("./")))
        return addbackslash(base) + path.mid(2);
    if (path.startsWith(QStringLiteral("../")))
        return getparentdir(base) + path.mid(3);
    return QString();
}

} // namespace path
