// File and folder names the state files must keep exactly or not at all:
// names with a line break, which their one-name-a-line formats cannot hold,
// and names whose bytes are not UTF-8, which must come back byte for byte.

#include "base/folder_slots.h"
#include "base/list_file.h"
#include "base/quoted_records.h"
#include "favourites/favourites_list.h"
#include "favourites/favourites_model.h"
#include "library/file_browser.h"
#include "library/registered_folders.h"
#include "playback/resume.h"
#include "player_fixture.h"
#include "search/search_page.h"
#include "search/search_results.h"
#include "test_files.h"
#include "test_media.h"
#include "window/main_window.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QStringList noticesOf(Player &player)
{
    QStringList texts;
    for (const QMessageBox *box : player.window().findChildren<QMessageBox *>("notice"))
        if (box->isVisible())
            texts.append(box->text());
    return texts;
}

// Files by their bytes: QFile would turn the names into UTF-8.
bool writeBytes(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && written;
}

QByteArray readBytes(const QByteArray &path)
{
    QByteArray content;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "<unreadable>";
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        content.append(buffer, n);
    ::close(fd);
    return content;
}

} // namespace

class TestStateNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareMediaTests(); }

    // A name with a line break would read back as two bogus names: it is
    // refused where a user adds it, with one message, and left out of the
    // files where it comes on its own.
    void namesWithLineBreaksAreNeverStored()
    {
        QTemporaryDir movies, program;
        const QString odd = movies.path() + "/b\nc.avi";
        const QString plain = movies.path() + "/d.avi";
        QVERIFY(QFile::copy(test_media::clip("play60.avi"), odd));
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), plain));
        const QString oddFolder = movies.path() + "/x\r\ny";
        QVERIFY(QDir().mkdir(oddFolder));

        auto fixture = PlayerFixture::start({program.path() + "/", {}, {}});
        Player &player = fixture->player();
        FavouritesList &favourites = player.favourites();
        const QString notAdded = QString::fromUtf8("改行を含む名前はお気に入りに追加できません");
        QVERIFY(!favourites.addPath(odd));
        favourites.addSelection({odd, plain, odd});
        QCOMPARE(favourites.count(), 1);
        QCOMPARE(noticesOf(player), QStringList({notAdded, notAdded}));

        QVERIFY(player.fileBrowser().setFolder(oddFolder));
        player.registeredFolders().registerSlot(0);
        QVERIFY(!player.registeredFolders().m_jmpDir[0]->isEnabled());
        QVERIFY(
            noticesOf(player).contains(QString::fromUtf8("改行を含むフォルダ名は登録できません")));

        // Search results show such a name; the file does not keep it.
        player.searchPage().results().append(
            {{movies.path() + "/", "b\nc.avi"}, {movies.path() + "/", "d.avi"}});
        QVERIFY(playAndWait(player, odd, 1.0));
        player.Form_Unload();

        const QString folder = program.path() + "/";
        QCOMPARE(list_file::paths(test_files::readFile(folder + "okini.ini"), folder),
                 QStringList{plain});
        const QList<quoted_records::Record> found = quoted_records::load(folder + "searchData.ini");
        QCOMPARE(found.size(), 1);
        QCOMPARE(quoted_records::fieldAt(found[0], 1).text, QString("d.avi"));
        for (const quoted_records::Record &slot : quoted_records::load(folder + "dir.ini"))
            QCOMPARE(quoted_records::fieldAt(slot, 1).text, QString());
        const std::optional<Resume::Record> resumed = Resume::read(folder + "resume.ini");
        QVERIFY(resumed);
        QCOMPARE(resumed->path, QString());
    }

    // A double quote in a name comes back as it is, never as another
    // character that names another file (clip”A.avi beside clip"A.avi).
    void quotesInNamesComeBackAsTheyWere()
    {
        QTemporaryDir movies, program;
        const QString folder = movies.path() + "/say \"hi\"";
        const QString quoted = folder + "/clip\"A.avi";
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::copy(test_media::clip("play60.avi"), quoted));
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), folder + "/clip”A.avi"));

        auto fixture = PlayerFixture::start({program.path() + "/", {}, {}});
        Player &player = fixture->player();
        QVERIFY(player.fileBrowser().setFolder(folder));
        player.registeredFolders().registerSlot(0);
        player.searchPage().results().append({{folder + "/", "clip\"A.avi"}});
        QVERIFY(playAndWait(player, quoted, 1.0));
        player.Form_Unload();

        const QString state = program.path() + "/";
        QCOMPARE(Resume::read(state + "resume.ini")->path, quoted);
        SearchResults found;
        QVERIFY(found.load(state + "searchData.ini", state));
        QCOMPARE(found.pathAt(0), quoted);
        FolderSlots folders;
        folders.load(state + "dir.ini", state);
        QCOMPARE(folders.at(0).folder, folder);
        QCOMPARE(folders.at(0).caption, FolderSlots::registeredCaption(0, folder));
    }

    // A portable copy in a folder whose name is Shift_JIS, started from a
    // Shift_JIS folder on a movie named relative to it: the movie plays, and
    // its state stays in the program's own folder.
    void bytesNotInUtf8SurviveEveryRoadIn()
    {
        QTemporaryDir install;
        const QByteArray base = QFile::encodeName(install.path()) + "/";
        const QByteArray programFolder = base + "\x83\x76\x83\x8d"; // プロ
        QVERIFY(QDir().mkdir(install.path() + "/p"));
        QVERIFY(!test_files::installProgramCopy(install.path() + "/p").isEmpty());
        QCOMPARE(::rename((base + "p").constData(), programFolder.constData()), 0);
        const QByteArray folder = base + "\x93\xae\x89\xe6";    // 動画
        const QByteArray name = "\x83\x65\x83\x58\x83\x67.avi"; // テスト
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        QVERIFY(
            writeBytes(folder + "/" + name, test_files::readFile(test_media::clip("play60.avi"))));
        QVERIFY(writeBytes(base + "start.sh", "cd '" + folder + "' && exec '" + programFolder +
                                                  "/sazanami' '" + name + "'\n"));

        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LOGGING_RULES", "sazanami.app.debug=true");
        environment.insert("XDG_DATA_HOME", install.path() + "/data");
        run.setProcessEnvironment(environment);
        run.start("sh", {QFile::decodeName(base + "start.sh")});
        QVERIFY(run.waitForStarted());
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT(
            (log += run.readAllStandardError()).contains("start-up: command-line movie opened"),
            20000);
        run.terminate();
        QVERIFY(run.waitForFinished(20000));
        QVERIFY2(readBytes(programFolder + "/resume.ini").contains(folder + "/" + name),
                 log.constData());

        // Names QTemporaryDir can remove.
        ::rename(programFolder.constData(), (base + "p").constData());
        ::rename(folder.constData(), (base + "m").constData());
    }

    // The real program started on a movie whose folder and name are
    // Shift_JIS, with every state file naming them: each file gives them back
    // byte for byte, the movie given on the command line plays, and its
    // favourite gets its frame as a thumbnail.
    void namesNotInUtf8KeepTheirBytes()
    {
        QTemporaryDir install;
        const QString program = test_files::installProgramCopy(install.path());
        QVERIFY(!program.isEmpty());
        const QByteArray base = QFile::encodeName(install.path()) + "/";
        const QByteArray folder = base + "\x93\xae\x89\xe6"; // 動画
        const QByteArray name = "\x83\x65\x83\x58\x83\x67";  // テスト
        const QByteArray movie = folder + "/" + name + ".avi";
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        QVERIFY(writeBytes(movie, test_files::readFile(test_media::clip("play60.avi"))));

        QByteArray slotLines = "\"[0]x\",\"" + folder + "/\"\r\n";
        for (int n = 1; n < 10; ++n)
            slotLines += "\"[" + QByteArray::number(n) + "] -----------\",\"\"\r\n";
        const QList<std::pair<const char *, QByteArray>> files = {
            {"config.ini", "[directory]\r\nLastDir=" + folder + "/\r\nImageDir=" + folder +
                               "\r\n[other]\r\nsoutai=0\r\n"},
            {"okini.ini", movie + "\r\n"},
            {"dir.ini", slotLines},
            {"searchData.ini", "\"" + folder + "/\",\"" + name + ".avi\"\r\n"},
            {"resume.ini", ""},
        };
        for (const auto &[file, content] : files)
            QVERIFY(writeBytes(base + file, content));

        // A script carries the name's bytes to the command line as they are.
        const QByteArray script = base + "start.sh";
        QVERIFY(writeBytes(script, "exec \"$1\" '" + movie + "'\n"));
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LOGGING_RULES", "sazanami.app.debug=true");
        run.setProcessEnvironment(environment);
        run.start("sh", {QFile::decodeName(script), program});
        QVERIFY(run.waitForStarted());

        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT(
            (log += run.readAllStandardError()).contains("start-up: command-line movie opened"),
            20000);
        // The favourite's thumbnail, under the movie's own name.
        const QByteArray thumbnail = base + "image/" + name + ".bmp";
        QTRY_VERIFY_WITH_TIMEOUT(::access(thumbnail.constData(), F_OK) == 0, 20000);
        run.terminate();
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitCode(), 0);
        QVERIFY(QImage::fromData(readBytes(thumbnail)) != FavouritesModel::placeholder().toImage());

        const QList<std::pair<const char *, QList<QByteArray>>> kept = {
            {"config.ini", {"LastDir=" + folder, "ImageDir=" + folder}},
            {"okini.ini", {movie}},
            {"dir.ini", {"\"" + folder}},
            {"searchData.ini", {"\"" + folder + "/\",\"" + name + ".avi\""}},
            // The movie from the command line, playing at the end.
            {"resume.ini", {"\"" + movie + "\""}},
        };
        for (const auto &[file, expected] : kept) {
            const QByteArray content = readBytes(base + file);
            for (const QByteArray &bytes : expected)
                QVERIFY2(content.contains(bytes), file + (": " + content.toPercentEncoding()));
        }
    }
};

QTEST_MAIN(TestStateNames)
#include "test_state_names.moc"
