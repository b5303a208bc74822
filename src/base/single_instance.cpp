#include "base/single_instance.h"

#include "base/base_log.h"
#include "base/folder_file.h"
#include "base/native_path.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A folder, not a link, of this user's, that no one else may enter or write.
bool isPrivateFolder(const QString &folder)
{
    struct stat info;
    if (folder.isEmpty() || ::lstat(native_path::encode(folder).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

} // namespace

SingleInstance::SingleInstance(const QString &programFolder)
    : programFolder_(programFolder), lockPath_(lockPathFor(programFolder))
{
}

SingleInstance::~SingleInstance()
{
    if (folderLock_ >= 0)
        ::close(folderLock_);
}

QString SingleInstance::lockPathFor(const QString &programFolder)
{
    const QString base = pathFor(programFolder);
    return base.isEmpty() ? base : base + ".lock";
}

QString SingleInstance::socketPathFor(const QString &programFolder)
{
    const QString base = pathFor(programFolder);
    return base.isEmpty() ? base : base + ".socket";
}

QString SingleInstance::runtimeFolder()
{
    // The session's runtime folder when there is one; asking QStandardPaths
    // would complain on stderr where there is none (a root shell, CI).
    const QString session = native_path::decode(qgetenv("XDG_RUNTIME_DIR"));
    if (isPrivateFolder(session))
        return session;
    if (!session.isEmpty())
        qCInfo(lcBase) << "XDG_RUNTIME_DIR is not a private folder of this user's:" << session;
    const QString own = QDir::tempPath() + "/sazanami-" + QString::number(::geteuid());
    if (::mkdir(native_path::encode(own).constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    if (isPrivateFolder(own))
        return own;
    qCWarning(lcBase) << own << "is not a private folder of this user's (a link, another"
                      << "user's, or open to others); running without a single instance";
    return QString();
}

QString SingleInstance::pathFor(const QString &programFolder)
{
    const QString runtime = runtimeFolder();
    if (runtime.isEmpty())
        return runtime;
    const QByteArray key =
        QCryptographicHash::hash(native_path::encode(programFolder), QCryptographicHash::Sha1)
            .toHex();
    return runtime + "/sazanami-" + QString::fromLatin1(key.left(16));
}

bool SingleInstance::acquire()
{
    if (!lockRuntime())
        return false;
    if (lockFolder())
        return true;
    lock_.reset();
    return false;
}

// flock(), not a lock file: it goes with the process however it ends, leaves
// nothing in the user's folder, and other opens and closes of the folder (its
// listings, its writes) do not let it go as they would a POSIX record lock.
bool SingleInstance::lockFolder()
{
    // Nothing is written into a folder other users can write, so two
    // instances cannot spoil each other's state there; nor is a lock of
    // theirs on it trusted.
    if (programFolder_.isEmpty() || !folder_file::isClosedToOthers(programFolder_))
        return true;
    const int fd =
        ::open(native_path::encode(programFolder_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        folderLock_ = fd;
        return true;
    }
    const bool heldElsewhere = fd >= 0 && errno == EWOULDBLOCK;
    if (!heldElsewhere)
        qCWarning(lcBase) << "cannot lock the program folder" << programFolder_ << ":"
                          << ::strerror(errno) << "- the runtime folder's lock alone keeps"
                          << "a second instance out";
    if (fd >= 0)
        ::close(fd);
    return !heldElsewhere;
}

bool SingleInstance::lockRuntime()
{
    if (lockPath_.isEmpty())
        return true;
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Never stale by age: the first instance may run for days.  A lock left
    // by a crashed run names a dead process and is taken over all the same.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return true;
    // Only a lock held by a live instance says another one runs; one that
    // cannot be made at all does not keep this one from starting.
    const bool heldElsewhere = lock_->error() == QLockFile::LockFailedError;
    lock_.reset();
    if (!heldElsewhere)
        qCWarning(lcBase) << "cannot make the lock" << lockPath_
                          << "; running without a single instance";
    return !heldElsewhere;
}
