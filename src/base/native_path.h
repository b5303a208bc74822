#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// File names on Linux are bytes.  Nearly all are UTF-8, but old archives
// carry names in Shift_JIS and other encodings, which a QString built the
// usual way cannot give back: such a file could be listed but never opened.
// Here a name keeps its bytes: every byte outside valid UTF-8 becomes one
// character U+DC80 to U+DCFF (a lone surrogate, which valid UTF-8 never
// yields), so decode() and encode() are exact inverses.  Paths that pass
// through the program go to the system through encode().
namespace native_path
{

QString decode(const QByteArray &bytes);
QByteArray encode(const QString &path);

// Where the process runs and what it runs, and a path from the environment,
// with their bytes kept: Qt's own answers (QDir::currentPath(),
// QCoreApplication::applicationDirPath()) turn bytes that are not UTF-8 into
// U+FFFD, which names another file or none.
QString currentDir();
QString executablePath();
// The executable's folder, without a "/" at its end (except for the root).
QString executableDir();
QString fromEnvironment(const char *name);

// The local file a file: URL names, its percent-encoding read as the bytes
// of the name ("%93%AE" is a Shift_JIS name, as Qt's toLocalFile() would
// not give back); raw bytes beyond ASCII in the text stand for themselves.
// "" for what names no local file: another scheme, "file:http://...", a file
// on another host, a name with a NUL, which the system would end there.
QString fromFileUrl(const QString &url);
QString fromFileUrl(const QUrl &url);
// The file: URL of a path, its bytes percent-encoded.
QUrl toFileUrl(const QString &path);

// The path with its links, "." and ".." resolved; "" when it does not exist.
QString canonicalPath(const QString &path);
// Makes the folder and the missing folders above it; true when it is there.
bool makeFolders(const QString &path);
// Removes a file (or a link, not what it points to).
bool removeFile(const QString &path);

// True when the name holds bytes that are not UTF-8.
bool hasForeignBytes(const QString &name);
// The name to show: one with foreign bytes read as Shift_JIS when that
// reads cleanly, otherwise with those bytes as U+FFFD.
QString displayName(const QString &name);
QStringList displayNames(const QStringList &names);

// What the system says of the path, following symbolic links.
bool exists(const QString &path);
// True when any entry has the name, a dangling symbolic link included.
bool isTaken(const QString &path);
bool isFile(const QString &path);
bool isDir(const QString &path);
// A folder whose entries can be listed.
bool isReadableDir(const QString &path);
// The same, known by listing its first entry: a question that reaches a
// share's server, where the attributes, and even the opening of the folder,
// may be answered by the system alone.
bool listsEntries(const QString &path);
qint64 fileSize(const QString &path);
// The content of the regular file at path (links followed) when it holds at
// most limit bytes; nothing otherwise.
std::optional<QByteArray> readFile(const QString &path, qint64 limit);

// The names of a folder's regular files or of its subfolders (symbolic
// links followed), hidden (dot) entries left out, in the order the system
// gives them.
enum class Kind { Files, Folders };
QStringList entries(const QString &folder, Kind kind);
// The files of a folder whose names start with a dot.
QStringList hiddenFiles(const QString &folder);
// Both kinds in one reading of the folder, when it holds at most `most`
// entries of any kind (any number for -1), so that a caller can tell a small
// folder quickly; nothing otherwise.
struct Listing {
    QStringList files;
    QStringList folders;
};
std::optional<Listing> listingIfFew(const QString &folder, qsizetype most);

// Renames within the file system without replacing an existing entry.
// False when it did not happen.
bool renameNoReplace(const QString &from, const QString &to);

} // namespace native_path
