#include "base/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

SingleInstance::SingleInstance(const QString &programFolder) : lockPath_(lockPathFor(programFolder))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockPathFor(const QString &programFolder)
{
    return pathFor(programFolder) + ".lock";
}

QString SingleInstance::socketPathFor(const QString &programFolder)
{
    return pathFor(programFolder) + ".socket";
}

QString SingleInstance::pathFor(const QString &programFolder)
{
    // The session's runtime folder when there is one; asking QStandardPaths
    // would complain on stderr where there is none (a root shell, CI).
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir())
        runtime = QDir::tempPath();
    const QByteArray key =
        QCryptographicHash::hash(programFolder.toUtf8(), QCryptographicHash::Sha1).toHex();
    return runtime + "/sazanami-" + QString::fromLatin1(key.left(16));
}

bool SingleInstance::acquire()
{
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Never stale by age: the first instance may run for days.  A lock left
    // by a crashed run names a dead process and is taken over all the same.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return true;
    lock_.reset();
    return false;
}
