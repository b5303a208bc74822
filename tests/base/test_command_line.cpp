#include "base/command_line.h"
#include "base/movie_ext.h"
#include "base/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace command_line;

namespace
{

bool touch(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly);
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    QString dir; // <tmp>/

private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        dir = tmp.path() + "/";
        QVERIFY(QDir().mkpath(dir + "My Movies"));
        for (const char *name : {"a b.avi", "動画 テスト.mpg", "it's, \"quoted\".wmv", "notes.txt",
                                 "My Movies/a b.mpg", "short", "short name.mov"})
            QVERIFY(touch(dir + QString::fromUtf8(name)));
    }

    void movieExtensions()
    {
        for (const char *ext : {"avi", "mpg", "asf", "wmv", "mpeg", "mov", "MPG", "Avi", "MPEG"})
            QVERIFY2(is_movie_ext(ext), ext);
        for (const char *ext : {"", "mpe", "mp4", "mkv", "txt", ".avi", "avi ", "mpeg4", "mo"})
            QVERIFY2(!is_movie_ext(ext), ext);
        // With the other formats on.
        for (const char *ext : {"MP4", "mkv", "webm", "m2ts", "3gp", "dv", "avi"})
            QVERIFY2(is_movie_ext(ext, true), ext);
        for (const char *ext : {"txt", "mp3", "srt", ".mp4", "mp4 "})
            QVERIFY2(!is_movie_ext(ext, true), ext);
    }

    void longPathIsAbsoluteWithoutResolvingLinks()
    {
        QCOMPARE(getlongpath("", dir), "");
        QCOMPARE(getlongpath("clip.avi", tmp.path()), dir + "clip.avi");
        QCOMPARE(getlongpath("./sub/../clip.avi", dir), dir + "clip.avi");
        QCOMPARE(getlongpath("/m/./n/../clip.avi", dir), "/m/clip.avi");

        QVERIFY(QFile::link(dir + "My Movies", dir + "link"));
        QCOMPARE(getlongpath("link/a b.mpg", dir), dir + "link/a b.mpg");
    }

    void moviePathFound_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("expected");
        const QString japanese = dir + QString::fromUtf8("動画 テスト.mpg");
        const QString quoted = dir + "it's, \"quoted\".wmv";

        QTest::newRow("blanks") << dir + "a b.avi" << dir + "a b.avi";
        QTest::newRow("extra words") << dir + "a b.avi -x y" << dir + "a b.avi";
        QTest::newRow("blank in folder")
            << dir + "My Movies/a b.mpg more" << dir + "My Movies/a b.mpg";
        QTest::newRow("japanese") << japanese + " extra" << japanese;
        QTest::newRow("comma and quotes") << quoted << quoted;
        QTest::newRow("missing") << dir + "gone now.avi x" << dir + "gone now.avi x";
        QTest::newRow("folder is no file") << dir + "My Movies x" << dir + "My Movies x";
        QTest::newRow("not a movie") << dir + "notes.txt" << dir + "notes.txt";
        QTest::newRow("longest file wins") << dir + "short name.mov x" << dir + "short name.mov";
        QTest::newRow("whole text beats a prefix")
            << dir + "short name.mov" << dir + "short name.mov";
        QTest::newRow("empty") << QString() << QString();
    }

    void moviePathFound()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, expected);
        QCOMPARE(findMoviePath(commandLine), expected);
    }

    void relativeCommandLineFromAShell()
    {
        const QString text = joinArguments({"a", "b.avi", "--fullscreen"});
        QCOMPARE(findMoviePath(getlongpath(text, tmp.path())), dir + "a b.avi");
    }

    void helpAndVersionUnlessAFileIsNamed()
    {
        QCOMPARE(request({}, dir), Request::Run);
        QCOMPARE(request({"--help"}, dir), Request::Help);
        QCOMPARE(request({"-h"}, dir), Request::Help);
        QCOMPARE(request({"--version"}, dir), Request::Version);
        QCOMPARE(request({"a", "b.avi"}, dir), Request::Run);
        QVERIFY(touch(dir + "--help"));
        QCOMPARE(request({"--help"}, dir), Request::Run);
        QCOMPARE(request({dir + "--help"}, "/"), Request::Run);
        QVERIFY(QFile::remove(dir + "--help"));
    }

    void helpFileBesideTheProgramOrInstalled()
    {
        QCOMPARE(program_folder::helpFile(dir), QString());
        QVERIFY(QDir().mkpath(dir + "usr/bin") && QDir().mkpath(dir + "usr/share/sazanami"));
        QVERIFY(touch(dir + "usr/share/sazanami/help.html"));
        QCOMPARE(program_folder::helpFile(dir + "usr/bin"), dir + "usr/share/sazanami/help.html");
        QVERIFY(touch(dir + "help.html"));
        QCOMPARE(program_folder::helpFile(tmp.path()), dir + "help.html");
        QVERIFY(QFile::remove(dir + "help.html"));
    }

    void writableExecutableFolderIsTheProgramFolder()
    {
        QCOMPARE(program_folder::forExecutableDir(tmp.path()), dir);
        QCOMPARE(program_folder::forExecutableDir(dir), dir);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden).filter(".sazanami").size(), 0);

        QCOMPARE(program_folder::imageFolder(dir), dir + "image/");
        QCOMPARE(program_folder::sceneFolder(dir), dir + "seen/");
    }

    void unwritableExecutableFolderFallsBackToUserData_data()
    {
        QTest::addColumn<QString>("executableDir");
        QTest::newRow("missing") << dir + "missing";
        QTest::newRow("a file") << dir + "notes.txt";
        QTest::newRow("empty") << QString();
        // An installed copy, even where the executable's folder is writable.
        QVERIFY(QDir().mkpath(dir + "prefix/bin") && QDir().mkpath(dir + "prefix/share/sazanami"));
        QTest::newRow("installed") << dir + "prefix/bin";
        // Permission bits do not stop root; /proc refuses new files even then.
        if (geteuid() == 0) {
            QTest::newRow("read-only") << QString("/proc");
        } else {
            const QString readOnly = dir + "read-only";
            QDir().mkpath(readOnly);
            QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
            QTest::newRow("read-only") << readOnly;
        }
    }

    void unwritableExecutableFolderFallsBackToUserData()
    {
        QFETCH(QString, executableDir);
        QTemporaryDir dataHome;
        QVERIFY(dataHome.isValid());
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());

        const QString folder = program_folder::forExecutableDir(executableDir);
        qputenv("XDG_DATA_HOME", saved);

        QCOMPARE(folder, dataHome.path() + "/sazanami/");
        QVERIFY(QFileInfo(folder).isDir());
    }

    void userDataDefaultsToLocalShare()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QByteArray savedHome = qgetenv("HOME");
        const QByteArray savedData = qgetenv("XDG_DATA_HOME");
        qputenv("HOME", home.path().toUtf8());
        qunsetenv("XDG_DATA_HOME");

        const QString folder = program_folder::forExecutableDir(dir + "missing");
        qputenv("HOME", savedHome);
        if (!savedData.isNull())
            qputenv("XDG_DATA_HOME", savedData);

        QCOMPARE(folder, home.path() + "/.local/share/sazanami/");
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
