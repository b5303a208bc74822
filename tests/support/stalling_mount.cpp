#include "stalling_mount.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

bool fuseUsable()
{
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return QProcess::execute("/usr/bin/python3", {"-c", "import fusepy"}) == 0 &&
           !QStandardPaths::findExecutable("fusermount3").isEmpty();
}

StallingMount::StallingMount(const QString &mode, const QString &source, const QString &mountPoint)
    : mountPoint_(mountPoint), readLog_(mountPoint + ".reads")
{
    QFile::remove(readLog_);
    QDir().mkpath(mountPoint);
    // Not the test's own output: a file system left behind would hold it open
    // and keep whatever reads the test's output waiting.
    fs_.setStandardOutputFile(QProcess::nullDevice());
    fs_.setStandardErrorFile(QProcess::nullDevice());
    fs_.start("/usr/bin/python3", {QStringLiteral(SAZANAMI_TEST_SUPPORT_DIR "/stalling_fs.py"),
                                   mode, source, mountPoint, readLog_});
}

StallingMount::~StallingMount()
{
    // Ending the file system first fails the reads stuck in it.
    fs_.kill();
    fs_.waitForFinished(5000);
    QProcess::execute("fusermount3", {"-u", "-z", mountPoint_});
    QFile::remove(readLog_);
}

QByteArray StallingMount::readLog() const
{
    QFile log(readLog_);
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

int StallingMount::readsBegun() const
{
    return int(readLog().count("begin\n"));
}

int StallingMount::readsWaiting() const
{
    const QByteArray log = readLog();
    return int(log.count("begin\n") - log.count("end\n"));
}

bool StallingMount::waitMounted()
{
    for (int i = 0; i < 100; ++i) {
        if (QStorageInfo(mountPoint_).rootPath() == mountPoint_)
            return true;
        QTest::qWait(50);
    }
    return false;
}

void StallingMount::freeze()
{
    ::kill(pid_t(fs_.processId()), SIGSTOP);
}

void StallingMount::thaw()
{
    ::kill(pid_t(fs_.processId()), SIGCONT);
}
