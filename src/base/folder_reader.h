#pragma once

#include <QList>
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

// One place where a list of names differs from the folder as read again: at
// `row` of the list as it was, `removed` names go and `inserted` ones come.
struct Hunk {
    qsizetype row = 0;
    qsizetype removed = 0;
    QStringList inserted;
};
// What turns the names `shown` into `now`, both in one order, in ascending
// rows of `shown`; applied from the last, each hunk's rows stay where they
// were.  Names in both keep their place, so a list showing them keeps its
// selection on them.  Should the two orders disagree, one hunk replaces all.
QList<Hunk> changes(const QStringList &shown, const QStringList &now);

} // namespace folder_reader
