#include "base/native_path.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace native_path
{

namespace
{

constexpr char16_t FirstEscape = 0xDC80;
constexpr char16_t LastEscape = 0xDCFF;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at bytes[i], or 0 when there is
// none (a stray or overlong byte, a surrogate, a code point past U+10FFFF).
int utf8SequenceAt(const QByteArray &bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80)
        return 1;
    int length = 0;
    char32_t min = 0;
    char32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, min = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, min = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if (!isContinuation(at(i + k)))
            return 0;
        code = (code << 6) | (at(i + k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool isEscape(QChar c)
{
    return c.unicode() >= FirstEscape && c.unicode() <= LastEscape;
}

bool statOf(const QString &path, struct stat &info)
{
    return !path.isEmpty() && ::stat(encode(path).constData(), &info) == 0;
}

std::optional<Kind> kindFromMode(mode_t mode)
{
    if (S_ISREG(mode))
        return Kind::Files;
    if (S_ISDIR(mode))
        return Kind::Folders;
    return std::nullopt;
}

// The entry's kind, from the folder listing when the file system gives it
// there; links are followed, as a user expects of a link to a movie.
std::optional<Kind> kindOf(int folder, const dirent &entry)
{
    if (entry.d_type == DT_REG)
        return Kind::Files;
    if (entry.d_type == DT_DIR)
        return Kind::Folders;
    struct stat info;
    if (fstatat(folder, entry.d_name, &info, 0) != 0)
        return std::nullopt;
    return kindFromMode(info.st_mode);
}

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

} // namespace

QString decode(const QByteArray &bytes)
{
    // Nearly every name is valid UTF-8; Qt checks that much faster than the
    // byte-by-byte walk below, which only a name with stray bytes needs.
    if (QByteArrayView(bytes).isValidUtf8())
        return QString::fromUtf8(bytes);
    QString text;
    text.reserve(bytes.size());
    qsizetype run = 0; // start of the pending run of valid UTF-8
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int length = utf8SequenceAt(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + run, i - run);
        text += QChar(char16_t(0xDC00 | static_cast<unsigned char>(bytes[i])));
        run = ++i;
    }
    text += QString::fromUtf8(bytes.constData() + run, i - run);
    return text;
}

QByteArray encode(const QString &path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        // A low surrogate after a high one is half of a real character.
        const bool paired = i > 0 && path[i - 1].isHighSurrogate();
        if (!isEscape(path[i]) || paired)
            continue;
        bytes += QStringView(path).mid(run, i - run).toUtf8();
        bytes += char(path[i].unicode() & 0xFF);
        run = i + 1;
    }
    bytes += QStringView(path).mid(run).toUtf8();
    return bytes;
}

QString currentDir()
{
    // getcwd() with no buffer allocates one of the length needed.
    char *dir = ::getcwd(nullptr, 0);
    if (!dir)
        return QString();
    const QString path = decode(QByteArray(dir));
    ::free(dir);
    return path;
}

QString executablePath()
{
    QByteArray target(4096, Qt::Uninitialized);
    while (true) {
        const ssize_t n = ::readlink("/proc/self/exe", target.data(), size_t(target.size()));
        if (n < 0)
            return QCoreApplication::applicationFilePath();
        if (n < target.size())
            return decode(target.left(n));
        target.resize(target.size() * 2);
    }
}

QString executableDir()
{
    const QString program = executablePath();
    const qsizetype slash = program.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : program.left(slash);
}

QString fromEnvironment(const char *name)
{
    return decode(qgetenv(name));
}

QString fromFileUrl(const QString &url)
{
    // QUrl takes the bytes beyond ASCII as percent-encoded ones, and gives
    // them back so.
    QByteArray escaped;
    for (const char byte : encode(url)) {
        if (static_cast<unsigned char>(byte) < 0x80)
            escaped += byte;
        else
            escaped += '%' + QByteArray::number(static_cast<unsigned char>(byte), 16).toUpper();
    }
    return fromFileUrl(QUrl::fromEncoded(escaped, QUrl::StrictMode));
}

QString fromFileUrl(const QUrl &url)
{
    if (!url.isValid() || !url.isLocalFile())
        return QString();
    if (!url.host().isEmpty() &&
        url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return QString();
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!bytes.startsWith('/') || bytes.contains('\0'))
        return QString();
    return decode(bytes);
}

QUrl toFileUrl(const QString &path)
{
    // Qt's own form for a name in UTF-8, as other programs write it.
    if (!hasForeignBytes(path))
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded("file://" + encode(path).toPercentEncoding("/"));
}

QString canonicalPath(const QString &path)
{
    char *resolved = path.isEmpty() ? nullptr : ::realpath(encode(path).constData(), nullptr);
    if (!resolved)
        return QString();
    const QString canonical = decode(QByteArray(resolved));
    ::free(resolved);
    return canonical;
}

bool makeFolders(const QString &path)
{
    const QByteArray bytes = encode(path);
    for (qsizetype slash = bytes.indexOf('/', 1); slash > 0; slash = bytes.indexOf('/', slash + 1))
        ::mkdir(bytes.left(slash).constData(), 0777);
    ::mkdir(bytes.constData(), 0777);
    return isDir(path);
}

bool removeFile(const QString &path)
{
    return !path.isEmpty() && ::unlink(encode(path).constData()) == 0;
}

bool hasForeignBytes(const QString &name)
{
    return std::any_of(name.begin(), name.end(), isEscape);
}

QString displayName(const QString &name)
{
    if (!hasForeignBytes(name))
        return name;
    const QByteArray bytes = encode(name);
    QStringDecoder shiftJis("Shift_JIS");
    if (shiftJis.isValid()) {
        const QString decoded = shiftJis.decode(bytes);
        if (!shiftJis.hasError())
            return decoded;
    }
    return QString::fromUtf8(bytes);
}

QStringList displayNames(const QStringList &names)
{
    QStringList shown;
    shown.reserve(names.size());
    for (const QString &name : names)
        shown.append(displayName(name));
    return shown;
}

bool exists(const QString &path)
{
    struct stat info;
    return statOf(path, info);
}

bool isTaken(const QString &path)
{
    struct stat info;
    return !path.isEmpty() && ::lstat(encode(path).constData(), &info) == 0;
}

bool isFile(const QString &path)
{
    struct stat info;
    return statOf(path, info) && S_ISREG(info.st_mode);
}

bool isDir(const QString &path)
{
    struct stat info;
    return statOf(path, info) && S_ISDIR(info.st_mode);
}

bool isReadableDir(const QString &path)
{
    return isDir(path) && ::access(encode(path).constData(), R_OK | X_OK) == 0;
}

bool listsEntries(const QString &path)
{
    const std::unique_ptr<DIR, DirCloser> dir(opendir(encode(path).constData()));
    return dir && readdir(dir.get()) != nullptr;
}

qint64 fileSize(const QString &path)
{
    struct stat info;
    return statOf(path, info) ? qint64(info.st_size) : 0;
}

std::optional<QByteArray> readFile(const QString &path, qint64 limit)
{
    // Not blocking on a pipe planted under the name.
    const int fd = ::open(encode(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info;
    std::optional<QByteArray> content;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= limit) {
        QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
        content = bytes;
    }
    ::close(fd);
    return content;
}

namespace
{

// The names of the kinds wanted; none once the folder holds more than `most`
// entries (no limit when negative).
enum class Dotted { Skip, Only };

std::optional<Listing> readListing(const QString &folder, qsizetype most, bool files, bool folders,
                                   Dotted dotted = Dotted::Skip)
{
    Listing listing;
    const QByteArray base = encode(folder);
    std::unique_ptr<DIR, DirCloser> dir(opendir(base.constData()));
    if (!dir)
        return listing;
    const int fd = dirfd(dir.get());
    qsizetype seen = 0;
    while (const dirent *entry = readdir(dir.get())) {
        if (most >= 0 && ++seen > most)
            return std::nullopt;
        const bool hidden = entry->d_name[0] == '.';
        if (hidden != (dotted == Dotted::Only) || !qstrcmp(entry->d_name, ".") ||
            !qstrcmp(entry->d_name, ".."))
            continue;
        const std::optional<Kind> kind = kindOf(fd, *entry);
        const QByteArray name = QByteArray::fromRawData(entry->d_name, qstrlen(entry->d_name));
        if (kind == Kind::Files && files)
            listing.files.append(decode(name));
        else if (kind == Kind::Folders && folders)
            listing.folders.append(decode(name));
    }
    return listing;
}

} // namespace

std::optional<Listing> listingIfFew(const QString &folder, qsizetype most)
{
    return readListing(folder, most, true, true);
}

QStringList entries(const QString &folder, Kind kind)
{
    const bool files = kind == Kind::Files;
    Listing listing = *readListing(folder, -1, files, !files);
    return files ? listing.files : listing.folders;
}

QStringList hiddenFiles(const QString &folder)
{
    return readListing(folder, -1, true, false, Dotted::Only)->files;
}

bool renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = encode(from);
    const QByteArray target = encode(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag (some network and FUSE ones): the
    // check and the rename are two steps there.
    if (isTaken(to))
        return false;
    return ::rename(source.constData(), target.constData()) == 0;
}

} // namespace native_path
