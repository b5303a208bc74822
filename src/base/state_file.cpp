#include "base/state_file.h"
#include "base/base_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
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

bool exists(const QString &path)
{
    struct stat info {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// The rename is made lasting too: without it a power cut could bring back
// the old file, or none for a new one.
void syncFolderOf(const QString &path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::optional<Written> identityOf(const QString &path)
{
    struct stat info {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
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

bool failed(QSaveFile &file, const QString &path, const QString &why)
{
    if (startsFailing(shared().failing, path))
        qCWarning(lcBase) << "cannot write" << path << ":" << why << "- the old file is kept";
    file.cancelWriting();
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
    const QByteArray native = QFile::encodeName(path);
    struct stat info {
    };
    if (::lstat(native.constData(), &info) != 0)
        return false;
    if (::stat(native.constData(), &info) != 0)
        return errno == ELOOP;
    return !S_ISREG(info.st_mode);
}

} // namespace

bool writeWhole(const QString &path, const QByteArray &content)
{
    if (wasUnreadable(path) || holdsOtherThanAFile(path)) {
        if (startsFailing(shared().refused, path))
            qCWarning(lcBase) << "not written:" << path
                              << "was there but could not be read, and is left as it is";
        return false;
    }
    if (alreadyWritten(path, content))
        return true;
    const bool isNew = !exists(path);
    QSaveFile file(path);
    // Never fall back to writing the target in place: that is the very
    // truncate-then-write that could lose the old file.
    file.setDirectWriteFallback(false);
    // Unbuffered, so that every write reaches the file system here and its
    // failure is seen: QSaveFile's commit() takes a buffer it could not flush
    // (a full disk) for success, and puts an empty file in place of the old.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(file, path, file.errorString());
    if (isNew)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(content) != content.size())
        return failed(file, path, file.errorString());
    // A file system that allocates late tells of a full disk only when the
    // data goes to the disk, which commit() does without looking at the
    // result.
    if (::fdatasync(file.handle()) != 0)
        return failed(file, path, QString::fromLocal8Bit(::strerror(errno)));
    // commit() renames; it removes the temporary file on failure.
    if (!file.commit())
        return failed(file, path, file.errorString());
    syncFolderOf(path);
    rememberWritten(path, content);
    return true;
}

void setWriteFailureHandler(WriteFailureHandler handler)
{
    Shared &s = shared();
    const QMutexLocker lock(&s.mutex);
    s.onFailure = std::move(handler);
}

int removeCutShortSaves(const QString &folder, const QStringList &fileNames)
{
    static const QRegularExpression temporaryEnd(QStringLiteral(R"(\.[A-Za-z0-9]{6}$)"));
    QStringList filters;
    for (const QString &name : fileNames)
        filters.append(name + QStringLiteral(".??????"));
    int removed = 0;
    QDir dir(folder);
    const QStringList names = dir.entryList(filters, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!temporaryEnd.match(name).hasMatch())
            continue;
        if (dir.remove(name)) {
            qCInfo(lcBase) << "removed what a cut-short save left:" << dir.filePath(name);
            ++removed;
        }
    }
    return removed;
}

ReadResult read(const QString &path, qint64 limit)
{
    const QByteArray native = QFile::encodeName(path);
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
    // A file beyond the size of the small state files (a long list of search
    // results) is read only when it is text: a NUL byte in its first block
    // tells random bytes from it before the rest is read and parsed.  A small
    // file with a stray NUL, as a crash may leave, still gives its good lines.
    constexpr qint64 kFirstBlock = 64 * 1024;
    QByteArray content = file.read(kFirstBlock);
    if (file.size() > kDefaultReadLimit && content.contains('\0'))
        return unreadable(path, "not a text file");
    content += file.readAll();
    // The file may have grown since size() was asked.
    if (file.error() != QFileDevice::NoError || content.size() > limit)
        return unreadable(path, "read failed");
    remember(path, Found::Read);
    return {Found::Read, content};
}

std::optional<QByteArray> readWhole(const QString &path, qint64 limit)
{
    ReadResult result = read(path, limit);
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
