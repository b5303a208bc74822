#include "base/folder_reader.h"

#include "base/name_pattern.h"

#include "base/native_path.h"

#include <algorithm>

namespace folder_reader
{

bool canRead(const QString &folder)
{
    return native_path::isReadableDir(folder);
}

QStringList files(const QString &folder, const NamePattern &pattern)
{
    QStringList names = native_path::entries(folder, native_path::Kind::Files);
    names.removeIf([&pattern](const QString &name) { return !pattern.matches(name); });
    sortNames(names);
    return names;
}

QStringList subfolders(const QString &folder)
{
    QStringList names = native_path::entries(folder, native_path::Kind::Folders);
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
