#include "base/folder_file.h"

#include "base/base_log.h"
#include "base/native_path.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace folder_file
{

namespace
{

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

// The folder opened for writing into, or -1 with the reason in result.
int openFolder(const QString &folder, Result &result)
{
    const int fd =
        ::open(bareFolder(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        // A link (ELOOP) or something that is no folder under the name.
        const bool planted = errno == ELOOP || errno == ENOTDIR;
        result = planted ? Result::Refused : Result::Failed;
        if (planted)
            qCWarning(lcBase) << "not writing into" << folder << ": it is a link or no folder";
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        qCWarning(lcBase) << "not writing into" << folder << ": it belongs to another user";
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

Result prepareFolder(const QString &folder)
{
    if (::mkdir(bareFolder(folder).constData(), 0755) != 0 && errno != EEXIST)
        return Result::Failed;
    Result result;
    const Descriptor dir(openFolder(folder, result));
    return result;
}

Result write(const QString &folder, const QString &name, const QByteArray &content, unsigned mode)
{
    if (!isPlainName(name))
        return Result::Failed;
    Result opened;
    const Descriptor dir(openFolder(folder, opened));
    if (dir.get() < 0)
        return opened;

    const QByteArray target = native_path::encode(name);
    struct stat info;
    if (::fstatat(dir.get(), target.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid())) {
        qCWarning(lcBase) << "not replacing" << folder + u'/' + name
                          << ": it is a link or not a file of this user's";
        return Result::Refused;
    }

    // A name of our own beside the target; a taken one (planted or left by a
    // crash) is never opened, another is drawn.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = '.' + target.left(200) + '.' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::openat(dir.get(), temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    Descriptor file(fd);
    if (file.get() < 0) {
        qCInfo(lcBase) << "cannot write into" << folder << ":" << strerror(errno);
        return Result::Failed;
    }
    const bool written = writeAll(file.get(), content) && ::fsync(file.get()) == 0;
    if (!file.close() || !written ||
        ::renameat(dir.get(), temporary.constData(), dir.get(), target.constData()) != 0) {
        qCInfo(lcBase) << "cannot write" << folder + u'/' + name << ":" << strerror(errno);
        ::unlinkat(dir.get(), temporary.constData(), 0);
        return Result::Failed;
    }
    return Result::Written;
}

Result writePath(const QString &path, const QByteArray &content, unsigned mode)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return Result::Failed;
    return write(slash == 0 ? QStringLiteral("/") : path.left(slash), path.mid(slash + 1), content,
                 mode);
}

} // namespace folder_file
