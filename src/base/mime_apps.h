#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The rules of the program's file association over the text of a freedesktop
// mimeapps.list.  Every function returns the text with only the one list
// value it is about changed: every other line, comment and blank stays byte
// for byte.  A MIME type that names no real file type (empty, or
// application/octet-stream, which would claim every unknown file) is never
// touched.
namespace mime_apps
{

// True for a MIME type the association may be written for.
bool isAssociable(const QString &mimeType);

// Our entry is listed for mimeType under [Added Associations].
bool isAssociated(const QByteArray &text, const QString &mimeType, const QString &desktopId);
// Our entry is the first listed for mimeType under [Default Applications].
bool isDefault(const QByteArray &text, const QString &mimeType, const QString &desktopId);

// Appends our entry under [Added Associations] and takes it out of
// [Removed Associations] (where it would hide the association).
QByteArray associate(const QByteArray &text, const QString &mimeType, const QString &desktopId);
// Takes our entry out of [Added Associations] and gives the default back.
QByteArray dissociate(const QByteArray &text, const QString &mimeType, const QString &desktopId);
// Puts our entry first under [Default Applications]; the user's earlier
// choices stay behind it.
QByteArray makeDefault(const QByteArray &text, const QString &mimeType, const QString &desktopId);
// Takes only our entry out of [Default Applications]: the next one listed
// (the user's earlier default) is the default again.
QByteArray giveBackDefault(const QByteArray &text, const QString &mimeType,
                           const QString &desktopId);

// Whether a desktop entry can run programPath: GLib refuses an Exec whose
// program holds a "%", even written "%%", and a desktop entry is UTF-8 text,
// with no way to write a path's bytes that are not; such an entry would open
// nothing, or another program.
bool canRunFromDesktopEntry(const QString &programPath);
// The text of the program's desktop entry: Exec runs programPath (quoted
// only where the desktop entry specification asks for it) with the file as
// its one argument.
QByteArray desktopEntry(const QString &programPath, const QStringList &mimeTypes);

} // namespace mime_apps
