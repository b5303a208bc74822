#pragma once

#include <QString>
#include <QStringList>

class NamePattern;

// Reading one folder for the browser: its files that match a pattern and its
// subfolders, names only, hidden (dot) entries left out, sorted without
// regard to case.
namespace folder_reader
{

// True when folder is a folder whose entries can be listed.
bool canRead(const QString &folder);

QStringList files(const QString &folder, const NamePattern &pattern);
QStringList subfolders(const QString &folder);

// Sorts names without regard to case; names equal but for case keep a fixed
// order (upper case first).
void sortNames(QStringList &names);

} // namespace folder_reader
