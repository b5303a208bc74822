#include "base/state_file.h"
#include "base/base_log.h"
#include "base/folder_file.h"
#include "base/native_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace state_file
{

namespace
{

// A file as this process last wrote it: its text, and the identity of the
// file that holds it, so that a file replaced, removed or touched by anyone
// else since is written again.
struct Written {
    QByteArray content;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
};

// The files found there but not readable, by absolute path, and the rest of
// what the readers and writers share across threads.  The state is saved
// every few seconds: a file that cannot be written is logged when that
// starts and when it ends, not at every try.
struct Shared {
    QMutex mutex;
    QSet<QString> unreadable;
    WriteFailureHandler onFailure;
    QHash<QString, Written> written;
    QSet<QString> failing;
    QSet<QString> refused;
    // The program's own folder, with a "/" at its end; "" until it is known.
    QString ownFolder;
};

Shared &shared()
{
    static Shared instance;
    return instance;
}

QString key(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// True when the file was not known as unreadable before.
bool remember(const QString &path, Found found)
{
    Shared &s = shared();
    const QMutexLocker lock(&s.mutex);
    if (found != Found::Unreadable) {
        s.unreadable.remove(key(path));
        return false;
    }
    const qsizetype before = s.unreadable.size();
    s.unreadable.insert(key(path));
    return s.unreadable.size() != before;
}

bool wasUnreadable(const QString &path)
{
    Shared &s = shared();
    const QMutexLocker lock(&s.mutex);
    return s.unreadable.contains(key(path));
}

std::optional<Written> identityOf(const QString &path)
{
    struct stat info {
    };
    if (::stat(native_path::encode(path).constData(), &info) != 0)
        return std::nullopt;
    return Written{{}, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

bool sameFile(const Written &a, const Written &b)
{
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

bool alreadyWritten(const QString &path, const QByteArray &content)
{
    Shared &s = shared();
    const QMutexLocker lock(&s.mutex);
    const auto it = s.written.constFind(path);
    if (it == s.written.cend() || it->content != content)
        return false;
    const std::optional<Written> now = identityOf(path);
    return now && sameFile(*now, *it);
}

void rememberWritten(const QString &path, const QByteArray &content)
{
    std::optional<Written> now = identityOf(path);
    Shared &s = shared();
    const QMutexLocker lock(&s.mutex);
    if (s.failing.remove(path))
        qCInfo(lcBase) << "written again:" << path;
    if (!now) {
        s.written.remove(path);
        return;
    }
    now->content = content;
    s.written.insert(path, *now);
}

// True the first time in a row that path fails.
bool startsFailing(QSet<QString> &set, const QString &path)
{
    Shared &s = shared();
    const QMutexLocker lock(&s.mutex);
    const qsizetype before = set.size();
    set.insert(path);
    return set.size() != before;
}

bool failed(const QString &path)
{
    if (startsFailing(shared().failing, path))
        qCWarning(lcBase) << "cannot write" << path << "- the old file is kept";
    WriteFailureHandler handler;
    {
        Shared &s = shared();
        const QMutexLocker lock(&s.mutex);
        handler = s.onFailure;
    }
    if (handler)
        handler(path);
    return false;
}

// Told once, not at every read of a file read often (mimeapps.list).
ReadResult unreadable(const QString &path, const char *why)
{
    if (remember(path, Found::Unreadable))
        qCWarning(lcBase) << "cannot read" << path << ":" << why;
    return {Found::Unreadable, {}};
}

// Something other than a regular file at path (a pipe, a folder, a loop of
// links): not a state file of ours, whether or not it was read.
bool holdsOtherThanAFile(const QString &path)
{
    const QByteArray native = native_path::encode(path);
    struct stat info {
    };
    if (::lstat(native.constData(), &info) != 0)
        return false;
    if (::stat(native.constData(), &info) != 0)
        return errno == ELOOP;
    return !S_ISREG(info.st_mode);
}

bool refused(const QString &path, const char *why)
{
    if (startsFailing(shared().refused, path))
        qCWarning(lcBase) << "not written:" << path << why << "and is left as it is";
    return false;
}

// The program's own folder when path lies in it, else "".
QString ownFolderOf(const QString &path)
{
    Shared &s = shared();
    const QMutexLocker lock(&s.mutex);
    return !s.ownFolder.isEmpty() && key(path).startsWith(s.ownFolder) ? s.ownFolder : QString();
}

// Something that looks like text, not like random bytes: no text file, and
// no file or folder name, holds a NUL.
bool isText(const QByteArray &block)
{
    return !block.contains('\0');
}

} // namespace

bool writeWhole(const QString &path, const QByteArray &content)
{
    if (wasUnreadable(path) || holdsOtherThanAFile(path))
        return refused(path, "was there but could not be read as a state file,");
    if (alreadyWritten(path, content))
        return true;
    // The folder as the user reaches it (links of the user's own on the way
    // are followed); the name itself never is: a link under the name is left
    // alone and the write refused, and the new file is renamed into place, so
    // nothing is ever written through a link.
    const QString absolute = key(path);
    const qsizetype slash = absolute.lastIndexOf(u'/');
    const QString folder =
        native_path::canonicalPath(slash == 0 ? QStringLiteral("/") : absolute.left(slash));
    if (folder.isEmpty())
        return failed(path);
    folder_file::Rules rules;
    // A new file is the user's alone; one replaced keeps its permissions.
    rules.mode = 0600;
    rules.exactMode = true;
    // State goes only where no one else can change it behind the program:
    // the program's folder and the one the file is in (seen/) closed to
    // other users.
    if (inUnsafeOwnFolder(path))
        return refused(path, "lies in a program folder other users can write,");
    rules.closedFolder = !ownFolderOf(path).isEmpty();
    switch (folder_file::write(folder, absolute.mid(slash + 1), content, rules)) {
    case folder_file::Result::Written:
        rememberWritten(path, content);
        return true;
    case folder_file::Result::Refused:
        return refused(path, "is a link, another user's, or in a folder others can write,");
    case folder_file::Result::Failed:
        break;
    }
    return failed(path);
}

void setWriteFailureHandler(WriteFailureHandler handler)
{
    Shared &s = shared();
    const QMutexLocker lock(&s.mutex);
    s.onFailure = std::move(handler);
}

int removeCutShortSaves(const QString &folder, const QStringList &fileNames)
{
    QList<QRegularExpression> ours;
    for (const QString &name : fileNames)
        ours.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(name)));
    const auto isOurs = [&ours](const QString &saved) {
        return std::any_of(ours.cbegin(), ours.cend(), [&saved](const QRegularExpression &name) {
            return name.match(saved).hasMatch();
        });
    };
    int removed = 0;
    // The temporary names start with a dot.
    for (const QString &name : native_path::hiddenFiles(folder)) {
        const QString saved = folder_file::savedNameOf(name);
        if (saved.isEmpty() || !isOurs(saved))
            continue;
        const QString file = QDir::cleanPath(folder + u'/' + name);
        if (native_path::removeFile(file)) {
            qCInfo(lcBase) << "removed what a cut-short save left:" << file;
            ++removed;
        }
    }
    return removed;
}

void setOwnFolder(const QString &folder)
{
    Shared &s = shared();
    const QMutexLocker lock(&s.mutex);
    s.ownFolder = folder.isEmpty() ? QString() : key(folder) + u'/';
}

bool inUnsafeOwnFolder(const QString &target)
{
    const QString own = ownFolderOf(target);
    return !own.isEmpty() && !folder_file::isClosedToOthers(own);
}

ReadResult read(const QString &path, qint64 limit, FormatCheck isInFormat)
{
    const QByteArray native = native_path::encode(path);
    struct stat info {
    };
    if (::lstat(native.constData(), &info) != 0) {
        if (errno == ENOENT) {
            remember(path, Found::Missing);
            return {Found::Missing, {}};
        }
        return unreadable(path, ::strerror(errno));
    }
    // Not blocking: a pipe would wait for a writer, for ever.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return unreadable(path, ::strerror(errno));
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return unreadable(path, "not a regular file");
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(path, "cannot open");
    }
    if (file.size() > limit)
        return unreadable(path, "too large for a state file");
    // Random bytes are told by their first block, before the rest is read.
    // The program's saves never leave a stray NUL (they replace files
    // whole), so whatever holds one was not written by it.
    constexpr qint64 kFirstBlock = 64 * 1024;
    QByteArray content = file.read(kFirstBlock);
    if (!isText(content))
        return unreadable(path, "not a text file");
    content += file.readAll();
    // The file may have grown since size() was asked.
    if (file.error() != QFileDevice::NoError || content.size() > limit)
        return unreadable(path, "read failed");
    if (!isText(content))
        return unreadable(path, "not a text file");
    if (isInFormat && !isInFormat(content))
        return unreadable(path, "not in the format of the program's file");
    remember(path, Found::Read);
    return {Found::Read, content};
}

std::optional<QByteArray> readWhole(const QString &path, qint64 limit, FormatCheck isInFormat)
{
    ReadResult result = read(path, limit, isInFormat);
    if (result.found != Found::Read)
        return std::nullopt;
    return std::move(result.content);
}

QList<QByteArray> splitLines(const QByteArray &content)
{
    QList<QByteArray> lines;
    const qsizetype n = content.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = content[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(content.mid(start, i - start));
        if (c == '\r' && i + 1 < n && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(content.mid(start));
    return lines;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0xFEFF);
}

bool fitsOnALine(QStringView text)
{
    return !text.contains(u'\r') && !text.contains(u'\n');
}

bool holdsLineStartingWith(const QByteArray &content, const QByteArray &starts)
{
    bool blank = true;
    for (const QByteArray &line : splitLines(content)) {
        const QByteArray trimmed = line.startsWith("\xEF\xBB\xBF") ? line.mid(3) : line;
        qsizetype i = 0;
        while (i < trimmed.size() && (trimmed[i] == ' ' || trimmed[i] == '\t'))
            ++i;
        if (i == trimmed.size())
            continue;
        blank = false;
        if (starts.contains(trimmed[i]))
            return true;
    }
    return blank;
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace state_file
