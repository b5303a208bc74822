#include "base/folder_reader.h"

#include "base/name_order.h"
#include "base/name_pattern.h"
#include "base/native_path.h"

namespace folder_reader
{

bool canRead(const QString &folder)
{
    return native_path::isReadableDir(folder);
}

std::optional<QStringList> filesIfFew(const QString &folder, const NamePattern &pattern,
                                      qsizetype most)
{
    std::optional<QStringList> names =
        native_path::entriesIfFew(folder, native_path::Kind::Files, most);
    if (!names)
        return names;
    names->removeIf([&pattern](const QString &name) { return !pattern.matches(name); });
    sortNames(*names);
    return names;
}

QStringList files(const QString &folder, const NamePattern &pattern)
{
    return *filesIfFew(folder, pattern, -1);
}

QStringList subfolders(const QString &folder)
{
    QStringList names = native_path::entries(folder, native_path::Kind::Folders);
    sortNames(names);
    return names;
}

void sortNames(QStringList &names)
{
    name_order::sort(names);
}

} // namespace folder_reader
