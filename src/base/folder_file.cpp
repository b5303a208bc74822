#include "base/folder_file.h"

#include "base/base_log.h"
#include "base/native_path.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace folder_file
{

namespace
{

// A path as the log shows it: one reached through a held folder
// (/proc/self/fd/N/...) names that folder, not the handle.
QString shown(const QString &path)
{
    static const QString held = QStringLiteral("/proc/self/fd/");
    if (!path.startsWith(held))
        return path;
    const qsizetype end = path.indexOf(u'/', held.size());
    const QString handle = end < 0 ? path : path.left(end);
    char target[4096];
    const ssize_t length =
        ::readlink(native_path::encode(handle).constData(), target, sizeof target - 1);
    if (length <= 0)
        return path;
    return native_path::decode(QByteArray(target, length)) + (end < 0 ? QString() : path.mid(end));
}

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }
    // Closes now; false when the close reported an error (a late write
    // failure on some file systems).
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// The path without the "/" at its end, which would make the system follow a
// link in its last part.
QByteArray bareFolder(const QString &folder)
{
    QByteArray bytes = native_path::encode(folder);
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    return bytes;
}

constexpr char kTemporaryPrefix[] = ".sazanami-saving.";

// The user's own private group: the user's primary group, with nobody else
// named in it.
bool isPrivateGroup(gid_t group)
{
    if (group != ::getegid())
        return false;
    std::vector<char> buffer(16384);
    struct group entry;
    struct group *found = nullptr;
    if (::getgrgid_r(group, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return false;
    struct passwd user;
    struct passwd *me = nullptr;
    std::vector<char> userBuffer(16384);
    if (::getpwuid_r(::geteuid(), &user, userBuffer.data(), userBuffer.size(), &me) != 0 || !me)
        return false;
    for (char **member = found->gr_mem; member && *member; ++member) {
        if (std::strcmp(*member, me->pw_name) != 0)
            return false;
    }
    return true;
}

bool closedToOthers(const struct stat &info)
{
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & S_IWOTH))
        return false;
    return !(info.st_mode & S_IWGRP) || isPrivateGroup(info.st_gid);
}

// The folder opened for writing into, or -1 with the reason in result.
int openFolder(const QString &folder, Result &result, bool closedFolder = false)
{
    const int fd =
        ::open(bareFolder(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        // A link (ELOOP) or something that is no folder under the name.
        const bool planted = errno == ELOOP || errno == ENOTDIR;
        result = planted ? Result::Refused : Result::Failed;
        if (planted)
            qCWarning(lcBase) << "not writing into" << shown(folder)
                              << ": it is a link or no folder";
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        qCWarning(lcBase) << "not writing into" << shown(folder) << ": it belongs to another user";
        ::close(fd);
        result = Result::Refused;
        return -1;
    }
    if (closedFolder && !closedToOthers(info)) {
        qCWarning(lcBase) << "not writing into" << shown(folder) << ": other users can write there";
        ::close(fd);
        result = Result::Refused;
        return -1;
    }
    result = Result::Written;
    return fd;
}

bool isPlainName(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(0)) && name != u"." &&
           name != u"..";
}

bool writeAll(int fd, const QByteArray &content)
{
    const char *data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

} // namespace

Folder::~Folder()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Result Folder::open(const QString &path, Missing missing, bool closedFolder)
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    path_ = path;
    if (missing == Missing::Make && ::mkdir(bareFolder(path).constData(), 0700) != 0 &&
        errno != EEXIST)
        return Result::Failed;
    Result result;
    fd_ = openFolder(path, result, closedFolder);
    return result;
}

bool Folder::makePrivate() const
{
    struct stat info;
    if (fd_ < 0 || ::fstat(fd_, &info) != 0)
        return false;
    return (info.st_mode & 077) == 0 || ::fchmod(fd_, info.st_mode & 07700) == 0;
}

Result Folder::write(const QString &name, const QByteArray &content, const Rules &rules) const
{
    if (fd_ < 0 || !isPlainName(name))
        return Result::Failed;
    const QByteArray target = native_path::encode(name);
    struct stat info;
    unsigned mode = rules.mode;
    if (::fstatat(fd_, target.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
            qCWarning(lcBase) << "not replacing" << shown(path_ + u'/' + name)
                              << ": it is a link or not a file of this user's";
            return Result::Refused;
        }
        if (rules.exactMode)
            mode = info.st_mode & 07777;
    }

    // A name of our own beside the target; a taken one (planted or left by a
    // crash) is never opened, another is drawn.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = native_path::encode(temporaryNameFor(name));
        fd = ::openat(fd_, temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    Descriptor file(fd);
    if (file.get() < 0) {
        qCInfo(lcBase) << "cannot write into" << path_ << ":" << strerror(errno);
        return Result::Failed;
    }
    // The umask took its share at the open.
    const bool permitted = !rules.exactMode || ::fchmod(file.get(), mode) == 0;
    const bool written = permitted && writeAll(file.get(), content) && ::fsync(file.get()) == 0;
    if (!file.close() || !written ||
        ::renameat(fd_, temporary.constData(), fd_, target.constData()) != 0) {
        qCInfo(lcBase) << "cannot write" << path_ + u'/' + name << ":" << strerror(errno);
        ::unlinkat(fd_, temporary.constData(), 0);
        return Result::Failed;
    }
    // The rename is made lasting too: without it a power cut could bring
    // back the old file, or none for a new one.
    ::fsync(fd_);
    return Result::Written;
}

Result prepareFolder(const QString &folder)
{
    return Folder().open(folder, Folder::Missing::Make);
}

Result write(const QString &folder, const QString &name, const QByteArray &content,
             const Rules &rules)
{
    if (!isPlainName(name))
        return Result::Failed;
    Folder opened;
    const Result result = opened.open(folder, Folder::Missing::Fail, rules.closedFolder);
    return result == Result::Written ? opened.write(name, content, rules) : result;
}

Result writePath(const QString &path, const QByteArray &content, const Rules &rules)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return Result::Failed;
    return write(slash == 0 ? QStringLiteral("/") : path.left(slash), path.mid(slash + 1), content,
                 rules);
}

bool isClosedToOthers(const QString &folder)
{
    struct stat info;
    return ::stat(native_path::encode(folder).constData(), &info) == 0 && closedToOthers(info);
}

QString temporaryNameFor(const QString &name)
{
    // Cut so that the whole stays within the longest name a folder takes.
    const QByteArray bytes = native_path::encode(name).left(200);
    return QLatin1String(kTemporaryPrefix) + native_path::decode(bytes) + u'.' +
           QString::number(QRandomGenerator::global()->generate(), 36);
}

QString savedNameOf(const QString &temporaryName)
{
    if (!temporaryName.startsWith(QLatin1String(kTemporaryPrefix)))
        return QString();
    const qsizetype dot = temporaryName.lastIndexOf(u'.');
    const QStringView draw = QStringView(temporaryName).sliced(dot + 1);
    const qsizetype prefix = qsizetype(sizeof kTemporaryPrefix) - 1;
    if (dot <= prefix || draw.isEmpty() || draw.size() > 7)
        return QString();
    for (const QChar c : draw) {
        if (!(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'z'))
            return QString();
    }
    return temporaryName.sliced(prefix, dot - prefix);
}

} // namespace folder_file
