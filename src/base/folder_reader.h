#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class NamePattern;

// Reading one folder for the browser: its files that match a pattern and its
// subfolders, names only, hidden (dot) entries left out, in the program's
// name order (base/name_order.h).
namespace folder_reader
{

// True when folder is a folder whose entries can be listed.
bool canRead(const QString &folder);

QStringList files(const QString &folder, const NamePattern &pattern);
// A folder's files matching pattern and its subfolders, in one reading,
// sorted; for a folder of at most `most` entries of any kind (any number for
// -1), nothing for a larger one (which is better read away from the window).
struct Contents {
    QStringList files;
    QStringList subfolders;
};
std::optional<Contents> contentsIfFew(const QString &folder, const NamePattern &pattern,
                                      qsizetype most);
// A large folder's contents, as contentsIfFew gives them, where the first
// `count` of its files, in order, go to firstFiles as soon as they are known:
// before the rest are sorted, which is most of the time a big folder takes.
Contents contentsWithFirstFiles(const QString &folder, const NamePattern &pattern, qsizetype count,
                                const std::function<void(const QStringList &)> &firstFiles);
QStringList subfolders(const QString &folder);

// Sorts names in the name order.
void sortNames(QStringList &names);

} // namespace folder_reader
