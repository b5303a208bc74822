#include "base/folder_reader.h"

#include "base/name_order.h"
#include "base/name_pattern.h"
#include "base/native_path.h"

#include <QSet>
#include <utility>

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

namespace
{

std::optional<Contents> unsortedContents(const QString &folder, const NamePattern &pattern,
                                         qsizetype most)
{
    std::optional<native_path::Listing> listing = native_path::listingIfFew(folder, most);
    if (!listing)
        return std::nullopt;
    Contents contents{std::move(listing->files), std::move(listing->folders)};
    contents.files.removeIf([&pattern](const QString &name) { return !pattern.matches(name); });
    return contents;
}

} // namespace

std::optional<Contents> contentsIfFew(const QString &folder, const NamePattern &pattern,
                                      qsizetype most)
{
    std::optional<Contents> contents = unsortedContents(folder, pattern, most);
    if (contents) {
        sortNames(contents->files);
        sortNames(contents->subfolders);
    }
    return contents;
}

Contents contentsWithFirstFiles(const QString &folder, const NamePattern &pattern, qsizetype count,
                                const std::function<void(const QStringList &)> &firstFiles)
{
    Contents contents = *unsortedContents(folder, pattern, -1);
    if (contents.files.size() > count)
        firstFiles(name_order::firstInOrder(contents.files, count));
    sortNames(contents.files);
    sortNames(contents.subfolders);
    return contents;
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

QList<Hunk> changes(const QStringList &shown, const QStringList &now)
{
    const QSet<QString> inNow(now.begin(), now.end());
    const QSet<QString> inShown(shown.begin(), shown.end());
    QList<Hunk> hunks;
    std::optional<Hunk> open;
    const auto hunkAt = [&open](qsizetype row) -> Hunk & {
        if (!open)
            open = Hunk{row, 0, {}};
        return *open;
    };
    const auto close = [&open, &hunks] {
        if (open)
            hunks.append(std::move(*std::exchange(open, std::nullopt)));
    };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < shown.size() || j < now.size()) {
        if (i < shown.size() && j < now.size() && shown[i] == now[j]) {
            close();
            ++i;
            ++j;
        } else if (i < shown.size() && !inNow.contains(shown[i])) {
            ++hunkAt(i).removed;
            ++i;
        } else if (j < now.size() && !inShown.contains(now[j])) {
            hunkAt(i).inserted.append(now[j]);
            ++j;
        } else {
            return {Hunk{0, shown.size(), now}};
        }
    }
    close();
    return hunks;
}

} // namespace folder_reader
