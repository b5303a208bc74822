#include "base/folder_reader.h"

#include "base/name_pattern.h"

#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

namespace folder_reader
{

namespace
{

// Names of the folder's entries of the given kind.  Hidden entries are left
// out because the filter does not ask for QDir::Hidden.
QStringList entryNames(const QString &folder, QDir::Filters kind)
{
    QStringList names;
    QDirIterator it(folder, kind | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    return names;
}

} // namespace

bool canRead(const QString &folder)
{
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isReadable() && info.isExecutable();
}

QStringList files(const QString &folder, const NamePattern &pattern)
{
    QStringList names = entryNames(folder, QDir::Files);
    names.removeIf([&pattern](const QString &name) { return !pattern.matches(name); });
    sortNames(names);
    return names;
}

QStringList subfolders(const QString &folder)
{
    QStringList names = entryNames(folder, QDir::Dirs);
    sortNames(names);
    return names;
}

void sortNames(QStringList &names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
}

} // namespace folder_reader
