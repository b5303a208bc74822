#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>

// Whole-file reads and writes of the program's state files (config.ini,
// okini.ini, the scene files, ...).  Every state file is rewritten whole.
namespace state_file
{

// No state file of ours comes near this; anything larger is not one of ours.
inline constexpr qint64 kDefaultReadLimit = 16 * 1024 * 1024;

// Writes content to a temporary file beside path and renames it over path, so
// a crash, a full disk or an unwritable folder never leaves a half-written
// file: either the new content is in place or the old file is untouched.  A
// new file is made readable by its owner only; an existing one keeps its
// permissions.  Never through a link: a link under the name, or a file of
// another user's, is left alone and the write refused; in the program's own
// folder (see setOwnFolder()) so is any write while other users can write
// that folder.  A file that was there but could not be read when last read
// (see read()) is never written over: what it holds was never seen, so the
// content cannot be a change of it.  False on any failure; a failure to
// write, though not a refusal, goes to the handler below too.  The same
// content written again over the file as this process left it is not
// written a second time (the state is saved every few seconds, mostly
// unchanged).
bool writeWhole(const QString &path, const QByteArray &content);

// Called with the path after a state file could not be written, so that the
// program can tell the user; none by default.  Called on the thread that
// wrote.
using WriteFailureHandler = std::function<void(const QString &path)>;
void setWriteFailureHandler(WriteFailureHandler handler);

// Removes from folder the temporary files of saves a crash cut short: a
// process killed between writing and renaming leaves its temporary name
// (folder_file::temporaryNameFor(), a prefix no user chooses) beside the
// untouched old file.  Only the temporary names of the given file names are
// touched, matched exactly, case included; a name may be a wildcard ("*.txt"
// for a folder that holds only the program's files).
// Only to be called while no save of this program can be running there.
// The number removed.
int removeCutShortSaves(const QString &folder, const QStringList &fileNames);

// The program's own folder, where state is written only while no other
// user can write there.
void setOwnFolder(const QString &folder);
// True when target lies in the program's own folder and other users can
// write that folder: nothing of the program's goes there then.
bool inUnsafeOwnFolder(const QString &target);

// What reading a state file found.
enum class Found {
    Read,      // the content is there
    Missing,   // no file of that name: a first run, a file not made yet
    Unreadable // something is there but could not be read as a state file
};
struct ReadResult {
    Found found = Found::Missing;
    QByteArray content; // empty unless Read
};

// Whether a text read is in the format of the file expected there: a file
// that is not (someone else's file under the name, pages of comments) is not
// the program's to read, nor to write over.
using FormatCheck = bool (*)(const QByteArray &content);

// Reads the regular file at path whole (symbolic links followed).
// Unreadable when it is not a regular file (a folder, a pipe, a device, a
// loop of links, a link to nothing), cannot be opened, is larger than limit
// bytes, is not text (a NUL byte anywhere: random bytes, whatever their
// size), or fails isInFormat.  Never blocks on a pipe.  The outcome is
// remembered for writeWhole(), which leaves an unreadable file alone.
ReadResult read(const QString &path, qint64 limit = kDefaultReadLimit,
                FormatCheck isInFormat = nullptr);

// The content read(); nothing when the file is missing or unreadable.
std::optional<QByteArray> readWhole(const QString &path, qint64 limit = kDefaultReadLimit,
                                    FormatCheck isInFormat = nullptr);

// A format check for the program's line formats: true when the content is
// blank, or when one of its lines (blanks and a byte-order mark before it
// aside) starts with one of the bytes in starts, as every line of the
// format's records does ('"' for the record files, '[' for the INI files).
bool holdsLineStartingWith(const QByteArray &content, const QByteArray &starts);

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
