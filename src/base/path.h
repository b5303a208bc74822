#pragma once

#include <QString>

// Path functions every part of the program uses to split, join and convert
// paths.  "/" is the separator and the root "/" plays the part of a drive
// root.  Only checkpath and getparentdir look at the file system.
namespace path
{

QString addbackslash(const QString &path);
QString removebackslash(const QString &path);
QString getfiledir(const QString &path);
QString getbasename(const QString &path);
QString getextension(const QString &path);
// -1 missing (or empty), 47 ('/') for the root, 0 for any other existing path.
int checkpath(const QString &path);
QString getparentdir(const QString &folder);
QString getrelativepath(const QString &path, const QString &base);
QString getabsolutepath(const QString &path, const QString &base);

} // namespace path
