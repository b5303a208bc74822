// The single-instance lock and the hand-over socket: never in a folder that
// another user could reach, where a planted lock would keep the program from
// starting and a planted socket would receive the movies handed over.

#include "base/single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A folder, not a link, of this user's, closed to everyone else.
bool isPrivateFolder(const QString &folder)
{
    struct stat info;
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// Runs a command as the user nobody; false when it failed.
bool asNobody(const QStringList &command)
{
    QProcess process;
    process.start("setpriv", QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                         "--reset-env"} +
                                 command);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void theLockAndTheSocketLieInAPrivateFolder()
    {
        // A temporary folder like /tmp: everyone may write, the sticky bit set.
        QTemporaryDir shared;
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        qputenv("TMPDIR", QFile::encodeName(shared.path()));
        qunsetenv("XDG_RUNTIME_DIR");
        const QString program = "/opt/sazanami/";

        // Without a session runtime folder: a folder of this user's alone.
        const QString lock = SingleInstance::lockPathFor(program);
        const QString socket = SingleInstance::socketPathFor(program);
        QVERIFY2(isPrivateFolder(QFileInfo(lock).path()), qPrintable(lock));
        QCOMPARE(QFileInfo(socket).path(), QFileInfo(lock).path());
        SingleInstance first(program);
        SingleInstance second(program);
        QVERIFY(first.acquire());
        QVERIFY(!second.acquire());

        // A session runtime folder open to others, or a link, is not used.
        QTemporaryDir session;
        QVERIFY(::chmod(QFile::encodeName(session.path()).constData(), 0755) == 0);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(session.path()));
        QVERIFY(!SingleInstance::lockPathFor(program).startsWith(session.path()));
        QVERIFY(::chmod(QFile::encodeName(session.path()).constData(), 0700) == 0);
        QVERIFY(SingleInstance::lockPathFor(program).startsWith(session.path() + "/"));
        const QString link = shared.path() + "/runtime-link";
        QVERIFY(QFile::link(session.path(), link));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(link));
        QVERIFY(!SingleInstance::lockPathFor(program).startsWith(link));
        qunsetenv("XDG_RUNTIME_DIR");

        if (::geteuid() != 0)
            QSKIP("the folder planted by another user needs root to run as nobody");
        // Another user made the folder this user's would have: it is not
        // trusted, and the program starts all the same, alone.
        QTemporaryDir other;
        QVERIFY(::chmod(QFile::encodeName(other.path()).constData(), 01777) == 0);
        qputenv("TMPDIR", QFile::encodeName(other.path()));
        const QString planted = other.path() + "/sazanami-" + QString::number(::geteuid());
        QVERIFY(asNobody({"mkdir", "-m", "0777", planted}));
        QVERIFY(asNobody({"touch", planted + "/x.lock"}));
        QCOMPARE(SingleInstance::lockPathFor(program), QString());
        QCOMPARE(SingleInstance::socketPathFor(program), QString());
        SingleInstance alone(program);
        SingleInstance alsoAlone(program);
        QVERIFY(alone.acquire());
        QVERIFY(alsoAlone.acquire());
        QCOMPARE(QDir(planted).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"x.lock"});
    }

    // One program folder, one instance, whatever runtime folder each start
    // has: a desktop start and one from an ssh shell, or a start whose
    // runtime folder another user planted.
    void oneFolderHasOneInstanceWhateverTheRuntimeFolder()
    {
        QTemporaryDir program, firstRuntime, secondRuntime, shared;
        const QString folder = program.path() + "/";
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(firstRuntime.path()));
        auto desktop = std::make_unique<SingleInstance>(folder);
        QVERIFY(desktop->acquire());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(secondRuntime.path()));
        SingleInstance shell(folder);
        QVERIFY(!shell.acquire());

        if (::geteuid() == 0) {
            QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
            qputenv("TMPDIR", QFile::encodeName(shared.path()));
            qunsetenv("XDG_RUNTIME_DIR");
            QVERIFY(asNobody({"mkdir", "-m", "0777",
                              shared.path() + "/sazanami-" + QString::number(::geteuid())}));
            SingleInstance planted(folder);
            QVERIFY(!planted.acquire());
        }
        // Free again once the first ends.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(secondRuntime.path()));
        desktop.reset();
        SingleInstance after(folder);
        QVERIFY(after.acquire());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
