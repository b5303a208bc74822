#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

// Whole-file reads and writes of the program's state files (config.ini,
// okini.ini, the scene files, ...).  Every state file is rewritten whole.
namespace state_file
{

// No state file of ours comes near this; anything larger is not one of ours.
inline constexpr qint64 kDefaultReadLimit = 16 * 1024 * 1024;

// Writes content to a temporary file beside path and renames it over path, so
// a crash, a full disk or an unwritable folder never leaves a half-written
// file: either the new content is in place or the old file is untouched.
// False on any failure.
bool writeWhole(const QString &path, const QByteArray &content);

// Removes from folder the temporary files of saves a crash cut short: a
// process killed between writing and renaming leaves "<name>.ini.XXXXXX" or
// "<name>.txt.XXXXXX" (QSaveFile's naming) beside the untouched old file.
// Only to be called while no save of this program can be running there.
// The number removed.
int removeCutShortSaves(const QString &folder);

// The whole content of the regular file at path (symbolic links followed).
// Nothing when it is missing, not a regular file (a folder, a pipe, a
// device, a loop of links), unreadable, larger than limit bytes, or, when
// larger than the default limit, not text: a NUL byte in its first block
// (random bytes) tells that before the rest is read.
std::optional<QByteArray> readWhole(const QString &path, qint64 limit = kDefaultReadLimit);

// The lines of a state file's text, without their ends.  CR LF, LF and a lone
// CR each end a line, so files written on any system read alike and no line
// ever holds a CR or an LF.  A last line without an end counts; an empty
// content has no lines.
QList<QByteArray> splitLines(const QByteArray &content);

// True for the blanks trimmed around the parts of a line: space, tab, and the
// byte-order mark U+FEFF that an editor may leave at the start of a file.
// Other white space (the ideographic space U+3000, say) belongs to the text:
// a Japanese folder name may end with it.
bool isBlank(QChar c);
// True when text holds no CR and no LF.  The state files keep one name a
// line, so a file or folder name with a line break cannot be stored in them:
// written as it is, it would read back as two bogus names.  Such names are
// refused where they would be added, never stored.
bool fitsOnALine(QStringView text);
QStringView trimBlanks(QStringView text);

} // namespace state_file
