#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The line format of the favourites file and of M3U playlists: one movie path
// a line, "#" lines ignored.  No widgets and no file access beyond resolving
// "../" (which asks whether the list file's folder exists).
namespace list_file
{

// A favourite: the folder with its trailing "/" and the file name.
struct Entry {
    QString folder;
    QString name;
    QString path() const { return folder + name; }
    bool operator==(const Entry &other) const = default;
};

// Splits a full path at its last "/"; nothing when no folder or no name is
// left (an empty line, a bare name, a path ending in "/").
std::optional<Entry> split(const QString &path);

// The movie paths the lines of a list file name, in file order, resolved
// against base, the folder of the list file.  Besides the program's own
// lines ("./" and "../" forms, absolute paths) it takes what other players
// write: a UTF-8 byte-order mark, CR LF or LF, #EXTM3U and #EXTINF lines,
// paths relative to the list file's folder without "./", and file:// URLs
// with percent-encoding.  Other URLs (http:// ..., file:http://..., files on
// other hosts) and names holding a NUL are left out.
QStringList paths(const QByteArray &content, const QString &base);

// Whether content can be the favourites file: blank, or holding a line of a
// path as the program writes it (absolute, or in the "./" and "../" forms).
// Pages of "#" comments or of other text are someone else's file.
bool isListFormat(const QByteArray &content);

// The text of a list file: one line per entry, CR LF ends, in order.  With
// relative on, folders at or below listFolder, or below its parent, take the
// "./" and "../" forms.  Entries with an empty folder or name, or with a line
// break in either, are left out.
QByteArray write(const QList<Entry> &entries, const QString &listFolder, bool relative);

} // namespace list_file
