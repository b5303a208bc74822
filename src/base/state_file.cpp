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
#include <sys/stat.h>

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

// Saves run on the GUI thread and on the thumbnail workers.
QMutex writtenLock;
QHash<QString, Written> written;

bool alreadyWritten(const QString &path, const QByteArray &content)
{
    const QMutexLocker lock(&writtenLock);
    const auto it = written.constFind(path);
    if (it == written.cend() || it->content != content)
        return false;
    const std::optional<Written> now = identityOf(path);
    return now && sameFile(*now, *it);
}

void rememberWritten(const QString &path, const QByteArray &content)
{
    std::optional<Written> now = identityOf(path);
    const QMutexLocker lock(&writtenLock);
    if (!now) {
        written.remove(path);
        return;
    }
    now->content = content;
    written.insert(path, *now);
}

// Why the file could not be replaced, or nothing when it was.
std::optional<QString> replaceWhole(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    // Never fall back to writing the target in place: that is the very
    // truncate-then-write that could lose the old file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(content) != content.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    // commit() flushes, syncs and renames; it removes the temporary file on
    // failure.
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

// Files that could not be written at their last try.  The state is saved
// every few seconds: a full disk is logged when it starts and when it ends,
// not at every try.
QSet<QString> failing;

void noteOutcome(const QString &path, const std::optional<QString> &error)
{
    const QMutexLocker lock(&writtenLock);
    if (error && !failing.contains(path)) {
        failing.insert(path);
        qCWarning(lcBase) << "cannot write" << path << ":" << *error
                          << "- the file is left as it was";
    } else if (!error && failing.remove(path)) {
        qCInfo(lcBase) << "written again:" << path;
    }
}

} // namespace

bool writeWhole(const QString &path, const QByteArray &content)
{
    if (alreadyWritten(path, content))
        return true;
    const std::optional<QString> error = replaceWhole(path, content);
    noteOutcome(path, error);
    if (error)
        return false;
    rememberWritten(path, content);
    return true;
}

int removeCutShortSaves(const QString &folder)
{
    static const QRegularExpression temporaryName(
        QStringLiteral(R"(^.+\.(ini|txt)\.[A-Za-z0-9]{6}$)"));
    int removed = 0;
    QDir dir(folder);
    const QStringList names =
        dir.entryList({"*.ini.??????", "*.txt.??????"}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!temporaryName.match(name).hasMatch())
            continue;
        if (dir.remove(name)) {
            qCInfo(lcBase) << "removed what a cut-short save left:" << dir.filePath(name);
            ++removed;
        }
    }
    return removed;
}

std::optional<QByteArray> readWhole(const QString &path, qint64 limit)
{
    // A pipe or a device could block or never end.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > limit) {
        qCWarning(lcBase) << "too large for a state file, not read:" << path;
        return std::nullopt;
    }
    // A file beyond the size of the small state files (a long list of search
    // results) is read only when it is text: a NUL byte in its first block
    // tells random bytes from it before the rest is read and parsed.  A small
    // file with a stray NUL, as a crash may leave, still gives its good lines.
    constexpr qint64 kFirstBlock = 64 * 1024;
    QByteArray content = file.read(kFirstBlock);
    if (file.size() > kDefaultReadLimit && content.contains('\0')) {
        qCWarning(lcBase) << "not a text file, not read:" << path;
        return std::nullopt;
    }
    content += file.readAll();
    // The file may have grown since size() was asked.
    if (file.error() != QFileDevice::NoError || content.size() > limit)
        return std::nullopt;
    return content;
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
