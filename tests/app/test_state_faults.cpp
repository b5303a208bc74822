// The state files when things go wrong around them: the program killed while
// it saves, a full disk, a program folder that takes no files, and state files
// that are not files or not text.

#include "app/desktop_options.h"
#include "app/save_notice.h"
#include "base/folder_file.h"
#include "base/folder_slots.h"
#include "base/key_bindings.h"
#include "base/program_folder.h"
#include "base/scene_file.h"
#include "base/state_file.h"
#include "desktop/file_associations.h"
#include "favourites/favourites_list.h"
#include "library/registered_folders.h"
#include "media/cmovie.h"
#include "media/frame_grabber.h"
#include "panels/list_colours.h"
#include "panels/list_panel.h"
#include "playback/play_mode.h"
#include "player_fixture.h"
#include "scenes/scene_menus.h"
#include "test_files.h"
#include "test_media.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMap>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <optional>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace
{

using test_files::readFile;
using test_files::writeFile;
using State = QMap<QString, QByteArray>;

// Set in main(): the test runs in a mount namespace of its own, where it may
// mount small and read-only file systems that vanish with it.
bool privateMounts = false;

bool enterPrivateMounts()
{
    return ::unshare(CLONE_NEWNS) == 0 &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// A file system of a few megabytes, mounted for the life of the object.
class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes) : path_(base_.path() + "/disk")
    {
        // The user's own, as a program folder must be (a tmpfs root is open
        // to all by default).
        const QByteArray options = "mode=0700,size=" + QByteArray::number(bytes);
        mounted_ = QDir().mkpath(path_) && ::mount("tmpfs", QFile::encodeName(path_).constData(),
                                                   "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString path() const { return path_; }
    QString folder() const { return path_ + "/"; }
    QString outside() const { return base_.path(); }

private:
    QTemporaryDir base_;
    QString path_;
    bool mounted_ = false;
};

bool makeReadOnly(const QString &dir)
{
    return ::mount(nullptr, QFile::encodeName(dir).constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                   nullptr) == 0;
}

QByteArray lfOnly(QByteArray bytes)
{
    return bytes.replace("\r\n", "\n");
}

// Every state file, in the form of another editor (LF line ends) and with
// absolute paths: the program reads them alike and writes them back with CR LF
// (and relative paths, as this config.ini asks), so old and new always differ.
State oldState(const QString &folder, const QString &movie)
{
    const QString movies = folder + "movies/";
    KeyBindings keys;
    keys.trySet(0, 'P');
    FolderSlots folderSlots;
    folderSlots.registerFolder(0, movies);
    const QTemporaryDir scratch;
    folderSlots.save(scratch.path() + "/dir.ini", folder, false);
    return {
        {"config.ini", "[option]\nResume=1\n[other]\nsoutai=1\nPlayMode=2\nTemae=0\n"},
        {"okini.ini", (movie + "\n").toUtf8()},
        {"searchData.ini", ("\"" + movies + "\",\"a.avi\"\n").toUtf8()},
        {"key.ini", lfOnly(keys.toBytes())},
        {"dir.ini", lfOnly(readFile(scratch.path() + "/dir.ini"))},
        {"color.ini", "[list]\nForeColor=255\nBackColor=65280\n"},
        {"resume.ini", ("\"" + movies + "b.avi\"\n2.5\n2\n").toUtf8()},
    };
}

bool writeState(const QString &folder, const State &state)
{
    for (auto it = state.begin(); it != state.end(); ++it) {
        if (!writeFile(folder + it.key(), it.value()))
            return false;
    }
    return true;
}

State readState(const QString &folder, const QStringList &names)
{
    State state;
    for (const QString &name : names)
        state[name] = readFile(folder + name);
    return state;
}

// The real program, started from its own copy, with its start-up and
// shut-down steps in the log it writes to standard error.
class ProgramRun
{
public:
    ProgramRun(const QString &program, const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LOGGING_RULES", "sazanami.app.debug=true");
        process_.setProcessEnvironment(environment);
        process_.start(program, arguments);
    }
    ~ProgramRun()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }

    // Waits for the log to say `text`; false after 20 s.
    bool waitForLog(const QByteArray &text)
    {
        QElapsedTimer clock;
        clock.start();
        while (!log_.contains(text) && clock.elapsed() < 20000) {
            process_.waitForReadyRead(1);
            log_ += process_.readAllStandardError();
            if (process_.state() == QProcess::NotRunning)
                return log_.contains(text);
        }
        return log_.contains(text);
    }
    bool waitStarted() { return waitForLog("start-up: command-line movie opened"); }
    QProcess &process() { return process_; }

private:
    QProcess process_;
    QByteArray log_;
};

// The boxes telling that state is not saved, on screen now.
int noticesShown()
{
    int shown = 0;
    for (const QWidget *widget : QApplication::topLevelWidgets())
        shown += widget->objectName() == "SaveNotice" && widget->isVisible();
    return shown;
}

// Fills the disk to its last byte.
bool fill(const QString &file)
{
    QFile filler(file);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'x');
    while (filler.write(block) > 0) {
    }
    return filler.error() != QFileDevice::NoError;
}

// What tells one file from another in place: a file written anew, even with
// the same bytes, is another inode.
struct Identity {
    ino_t inode = 0;
    mode_t mode = 0;
    off_t size = 0;
    bool operator==(const Identity &) const = default;
};
Identity identity(const QString &path)
{
    struct stat info {
    };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {info.st_ino, info.st_mode, info.st_size};
}

mode_t modeOf(const QString &path)
{
    return identity(path).mode & 07777;
}

// The whole process, every thread of it, as the unprivileged account
// "nobody", with a folder made that account's, for the life of the object:
// root reads a file of any mode.  Back to root at the end (the real and saved
// user stay root).
class AsNobody
{
public:
    explicit AsNobody(const QString &folder)
    {
        const passwd *account = ::getpwnam("nobody");
        ok_ = account &&
              QProcess::execute("chown",
                                {"-R", QString("%1:%2").arg(account->pw_uid).arg(account->pw_gid),
                                 folder}) == 0 &&
              ::setegid(account->pw_gid) == 0 && ::seteuid(account->pw_uid) == 0;
    }
    ~AsNobody()
    {
        if (::seteuid(0) != 0 || ::setegid(0) != 0)
            qFatal("cannot become root again");
    }
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// Log lines the program writes through Qt while a test runs in process.
QStringList capturedLog;
void captureMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    capturedLog.append(message);
}

} // namespace

class TestStateFaults : public QObject
{
    Q_OBJECT

    // How a state file is made unreadable.
    enum Unreadable { AsPipe, AsLinkLoop, AsTooLarge, AsWriteOnly };

private slots:
    // SIGKILL at random moments after the close request, many times: every
    // state file is the old one or the new one, never a mix, cut short, empty
    // or gone.  A scene file, not written at shut-down, stays as it was.
    void killedWhileSavingLeavesOldOrNewFiles()
    {
        QTemporaryDir install;
        const QString program = test_files::installProgramCopy(install.path());
        QVERIFY(!program.isEmpty());
        const QString folder = install.path() + "/";
        QVERIFY(QDir().mkpath(folder + "movies"));
        const QString movie = folder + "movies/a.avi";
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), movie));
        const State old = oldState(folder, movie);
        SceneFile scenes = SceneFile::forMovie(folder + "seen/", movie);
        QVERIFY(scenes.registerScene(0, 1.5, 10));
        const QByteArray oldScenes = readFile(scenes.path());

        // One run to its end gives the new files, and when after the close
        // request saving begins and ends, as the log shows it.
        QVERIFY(writeState(folder, old));
        qint64 beginUs = 0;
        qint64 endUs = 0;
        {
            ProgramRun run(program, {movie});
            QVERIFY(run.waitStarted());
            QElapsedTimer clock;
            clock.start();
            run.process().terminate();
            QVERIFY(run.waitForLog("shut-down: writing the state files"));
            beginUs = clock.nsecsElapsed() / 1000;
            QVERIFY(run.waitForLog("shut-down: state files written"));
            endUs = clock.nsecsElapsed() / 1000;
            QVERIFY(run.process().waitForFinished(10000));
            QCOMPARE(run.process().exitCode(), 0);
        }
        const State written = readState(folder, old.keys());
        for (const QString &name : old.keys())
            QVERIFY2(written[name] != old[name] && written[name].endsWith("\r\n"),
                     qPrintable(name));

        // resume.ini holds the position reached, which differs run by run.
        const auto isNew = [&written](const QString &name, const QByteArray &content) {
            if (name != "resume.ini")
                return content == written[name];
            const QList<QByteArray> lines = content.split('\n');
            return lines.size() == 4 && lines.first() == written[name].split('\n').first() &&
                   content.endsWith("\r\n");
        };
        QRandomGenerator random(4242);
        // Runs go on until enough kills landed between the first file saved
        // and the last: one in five or so does here.
        const int enoughLanded = 5;
        const int mostRuns = 200;
        int landedWhileSaving = 0;
        int runIndex = 0;
        for (; landedWhileSaving < enoughLanded && runIndex < mostRuns; ++runIndex) {
            QVERIFY(writeState(folder, old));
            ProgramRun run(program, {movie});
            QVERIFY(run.waitStarted());
            run.process().terminate();
            // Most kills land while the files are written, some before and
            // after.
            const qint64 spread = endUs - beginUs + 2000;
            QThread::usleep(qMax<qint64>(0, beginUs - 1000 + random.bounded(spread)));
            run.process().kill();
            QVERIFY(run.process().waitForFinished(10000));

            int newFiles = 0;
            for (const QString &name : old.keys()) {
                const QByteArray now = readFile(folder + name);
                QVERIFY2(
                    now == old[name] || isNew(name, now),
                    qPrintable(
                        QString("run %1, %2: %3").arg(runIndex).arg(name, QString::fromUtf8(now))));
                newFiles += now != old[name];
            }
            landedWhileSaving += newFiles > 0 && newFiles < old.size();
            QCOMPARE(readFile(scenes.path()), oldScenes);
        }
        // What a kill between writing and renaming leaves beside a file is
        // swept away by the next start; nothing else of the folder goes.
        // Names of the user's own that look alike stay, whatever their case
        // and ending.
        const QStringList usersOwn = {
            "notes.ini.bak",      "notes.txt.backup", "todo.txt.Backup",   "thesis.txt.v2copy",
            "desktop.ini.orig01", "okini.ini.backup", "config.ini.old123", "CONFIG.INI.abcdef",
            "resume.ini.2024ab",  "okini.ini.Ab3xY9"};
        const QString cutShort = folder_file::temporaryNameFor("okini.ini");
        const QString cutShortScenes = "seen/" + folder_file::temporaryNameFor("a.txt");
        State leftovers = {{cutShort, "cut short"},
                           {cutShortScenes, "cut short"},
                           {"seen/notes.txt.backup", "mine"},
                           {"seen/" + folder_file::temporaryNameFor("notes.TXT"), "mine"}};
        for (const QString &name : usersOwn)
            leftovers[name] = "mine";
        QVERIFY(writeState(folder, leftovers));
        {
            ProgramRun run(program, {movie});
            QVERIFY(run.waitStarted());
            run.process().terminate();
            QVERIFY(run.process().waitForFinished(10000));
        }
        QStringList expected = old.keys();
        expected << usersOwn;
        expected << "sazanami";
        expected.sort();
        const QStringList found = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QVERIFY2(found == expected, qPrintable(found.join(' ')));
        QVERIFY(!QFileInfo::exists(folder + cutShortScenes));
        QCOMPARE(QDir(folder + "seen").entryList(QDir::Files | QDir::Hidden).size(), 3);
        QVERIFY2(landedWhileSaving >= enoughLanded,
                 qPrintable(QString("runs killed between the first and the last file saved: %1 "
                                    "of %2")
                                .arg(landedWhileSaving)
                                .arg(runIndex)));
    }

    // A disk filled to the brim but for a few pages: okini.ini, too large for
    // them, keeps its old content; the small files are still written; the
    // program ends normally and leaves no half-written file behind.
    void fullDiskKeepsTheOldFileAndWritesTheOthers()
    {
        if (!privateMounts)
            QSKIP("no mount namespace of our own (needs root): no small file system");
        // Room for the program (far larger in a sanitizer build) and the state.
        const SmallDisk disk(QFileInfo(SAZANAMI_PROGRAM).size() + (32 << 20));
        QVERIFY(disk.mounted());
        const QString program = test_files::installProgramCopy(disk.path());
        QVERIFY(!program.isEmpty());
        const QString folder = disk.folder();
        const QString movie = test_media::clip("clip.avi");
        State old = oldState(folder, movie);
        for (int i = 0; i < 3000; ++i)
            old["okini.ini"] +=
                QString("/media/not-mounted/動画 %1, a long name.avi\n").arg(i).toUtf8();
        QVERIFY(writeState(folder, old));

        struct statvfs disk_info {
        };
        QCOMPARE(::statvfs(QFile::encodeName(disk.path()).constData(), &disk_info), 0);
        const qint64 room = 8 * 4096;
        QFile filler(folder + "filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(1 << 20, 'x');
        for (qint64 left = qint64(disk_info.f_bavail) * disk_info.f_frsize - room; left > 0;
             left -= block.size())
            QVERIFY(filler.write(block.constData(), qMin<qint64>(left, block.size())) > 0);
        filler.close();
        QVERIFY(old["okini.ini"].size() > 2 * room);

        {
            ProgramRun run(program, {movie});
            QVERIFY(run.waitStarted());
            run.process().terminate();
            QVERIFY(run.process().waitForFinished(10000));
            QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
            QCOMPARE(run.process().exitCode(), 0);
        }
        QCOMPARE(readFile(folder + "okini.ini"), old["okini.ini"]);
        for (const QString &name : old.keys()) {
            if (name != "okini.ini")
                QVERIFY2(readFile(folder + name) != old[name], qPrintable(name));
        }
        QCOMPARE(readFile(folder + "key.ini"), KeyBindings::fromBytes(old["key.ini"]).toBytes());
        // The state files, the program and the filler: no half-written file.
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(left.size() == old.size() + 2, qPrintable(left.join(' ')));
    }

    // A read-only program folder: the program starts from the files there,
    // plays, keeps a favourite added for the session, says once that nothing
    // is saved, and ends normally.
    void readOnlyFolderKeepsTheSessionInMemory()
    {
        if (!privateMounts)
            QSKIP("no mount namespace of our own (needs root): no read-only file system");
        const SmallDisk disk(1 << 20);
        QVERIFY(disk.mounted());
        const QString folder = disk.folder();
        const QString movie = test_media::clip("clip.avi");
        const State old = oldState(folder, movie);
        QVERIFY(writeState(folder, old));
        QVERIFY(makeReadOnly(disk.path()));
        // A portable copy there starts from its own state, not afresh.
        QCOMPARE(program_folder::forExecutableDir(disk.path()), folder);

        capturedLog.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
        const auto restoreHandler = qScopeGuard([previous] { qInstallMessageHandler(previous); });
        {
            auto fixture = PlayerFixture::start({folder, {movie}, disk.outside()});
            QVERIFY(fixture->started());
            Player &player = fixture->player();
            QVERIFY(waitForOpen(player));
            QTRY_COMPARE(int(player.movie().playState()), 1);
            QCOMPARE(player.playMode().get_play_mode(), 2);
            QCOMPARE(player.favourites().count(), 1);
            QVERIFY(player.favourites().addPath(test_media::clip("clip.mpg")));
            QCOMPARE(player.favourites().count(), 2);
            // Told once, in a box that holds nothing up.
            QVERIFY(player.saveNotice().box() && player.saveNotice().box()->isVisible());
            QVERIFY(player.saveNotice().box()->text().contains(folder));
            QCOMPARE(noticesShown(), 1);
            player.Form_Unload();
        }
        // Once for the state files, once for the thumbnails.
        const QString log = capturedLog.join('\n');
        const QStringList told = capturedLog.filter("cannot write");
        QVERIFY2(told.size() == 1 && told.first().contains("program folder"), qPrintable(log));
        QVERIFY2(capturedLog.filter("image folder").size() == 1, qPrintable(log));
    }

    // A state file that is a folder, a loop of links or 100 MB of random
    // bytes falls back to its defaults; the other files still load, and a
    // favourites file that could not be read is not written over.
    void brokenFilesFallBackToDefaults()
    {
        QTemporaryDir base;
        const QString junk = base.path() + "/junk";
        {
            QFile file(junk);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QRandomGenerator random(99);
            QByteArray block(1 << 20, 0);
            for (int i = 0; i < 100; ++i) {
                random.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
                QVERIFY(file.write(block) == block.size());
            }
        }
        enum Damage { Folder, LinkLoop, RandomBytes };
        const auto damage = [&junk](const QString &path, Damage how) {
            switch (how) {
            case Folder:
                return QDir().mkpath(path);
            case LinkLoop:
                return QFile::link(QFileInfo(path).fileName(), path);
            case RandomBytes:
                // A hard link: a file of its own name, as a user's would be.
                return ::link(QFile::encodeName(junk).constData(),
                              QFile::encodeName(path).constData()) == 0;
            }
            return false;
        };
        const QString movie = test_media::clip("clip.avi");
        // Two layouts, so that each file is broken in one and sound in the other.
        const QList<QMap<QString, Damage>> layouts = {
            {{"config.ini", Folder},
             {"okini.ini", RandomBytes},
             {"searchData.ini", LinkLoop},
             {"resume.ini", Folder}},
            {{"config.ini", RandomBytes},
             {"key.ini", LinkLoop},
             {"dir.ini", Folder},
             {"color.ini", RandomBytes},
             {"searchData.ini", RandomBytes},
             {"resume.ini", RandomBytes}},
        };
        for (const QMap<QString, Damage> &broken : layouts) {
            QTemporaryDir program;
            const QString folder = program.path() + "/";
            State state = oldState(folder, movie);
            for (auto it = broken.begin(); it != broken.end(); ++it)
                state.remove(it.key());
            QVERIFY(writeState(folder, state));
            for (auto it = broken.begin(); it != broken.end(); ++it)
                QVERIFY(damage(folder + it.key(), it.value()));

            auto fixture = PlayerFixture::start({folder, {}, base.path()});
            QVERIFY(fixture->started());
            Player &player = fixture->player();
            const auto sound = [&broken](const QString &name) { return !broken.contains(name); };
            // Broken, config.ini gives the first run's settings, not those of
            // an empty file (play mode 0).
            QCOMPARE(player.playMode().get_play_mode(),
                     sound("config.ini") ? 2 : int(PlayMode::Continuous));
            QCOMPARE(player.favourites().count(), sound("okini.ini") ? 1 : 0);
            QCOMPARE(player.listPanel().List_Find->model()->rowCount(),
                     sound("searchData.ini") ? 1 : 0);
            QCOMPARE(player.keyBindings() != KeyBindings(), sound("key.ini"));
            QCOMPARE(player.registeredFolders().m_jmpDir[0]->isEnabled(), sound("dir.ini"));
            const ListColours &colours = player.desktopOptions().listColours();
            QCOMPARE(colours.foreColour() == QColor(255, 0, 0), sound("color.ini"));
            // Defaults, never black on black.
            QVERIFY(colours.foreColour() != colours.backColour());

            player.Form_Unload();
            if (broken.contains("okini.ini"))
                QCOMPARE(QFileInfo(folder + "okini.ini").size(), qint64(100) << 20);
        }
    }

    // Under a state file's name, something that is not the program's file:
    // random bytes (1 KB, 10 MB) or pages of comment lines.  Whatever its size
    // it is not read as an empty list, and it is never written over.
    void filesOfAnotherKindAreLeftAloneWhateverTheirSize()
    {
        QRandomGenerator random(7);
        const auto junk = [&random](qsizetype size) {
            QByteArray bytes(size, 0);
            random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
            return bytes;
        };
        QByteArray comments;
        while (comments.size() < (10 << 20))
            comments += "# someone else's notes, not a list of movies\n";
        const QList<State> layouts = {
            {{"okini.ini", junk(1024)}, {"searchData.ini", comments}, {"config.ini", comments}},
            {{"okini.ini", comments}, {"searchData.ini", junk(10 << 20)}, {"dir.ini", junk(1024)}},
        };
        for (const State &files : layouts) {
            QTemporaryDir program;
            const QString folder = program.path() + "/";
            QVERIFY(writeState(folder, files));
            {
                auto fixture = PlayerFixture::start({folder, {}, program.path()});
                QVERIFY(fixture->started());
                Player &player = fixture->player();
                QCOMPARE(player.favourites().count(), 0);
                QVERIFY(player.favourites().addPath(test_media::clip("clip.avi")));
                player.Form_Unload();
            }
            QCOMPARE(readState(folder, files.keys()), files);
        }
    }

    // Links planted under the state files' names, in a program folder that
    // others can write and in one of the user's own: the files they point to
    // are never written.  Into the open folder nothing is written at all;
    // the user is told once and the session keeps its changes.
    void stateNeverGoesThroughLinksNorIntoAFolderOthersCanWrite()
    {
        QTemporaryDir base;
        const QString home = base.path() + "/home/";
        QVERIFY(QDir().mkpath(home));
        const State pointedTo = {{"config.ini", "[other]\r\nsoutai=0\r\n"},
                                 {"okini.ini", "/home/aki/notes.txt\r\n"},
                                 {"searchData.ini", "\"/home/aki/\",\".profile\"\r\n"}};
        QVERIFY(writeState(home, pointedTo));
        for (const mode_t mode : {mode_t(0777), mode_t(0700)}) {
            const QString folder = base.path() + "/program" + QString::number(mode, 8) + "/";
            QVERIFY(QDir().mkpath(folder));
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), mode), 0);
            for (const QString &name : pointedTo.keys())
                QVERIFY(QFile::link(home + name, folder + name));
            {
                auto fixture = PlayerFixture::start({folder, {}, base.path()});
                QVERIFY(fixture->started());
                Player &player = fixture->player();
                QVERIFY(player.favourites().addPath(test_media::clip("clip.mpg")));
                QCOMPARE(player.favourites().count(), 2);
                QCOMPARE(noticesShown(), mode == 0777 ? 1 : 0);
                if (mode == 0777)
                    QCOMPARE(player.saveNotice().box()->text(), SaveNotice::notPrivateText(folder));
                player.Form_Unload();
            }
            QCOMPARE(readState(home, pointedTo.keys()), pointedTo);
            for (const QString &name : pointedTo.keys())
                QVERIFY(QFileInfo(folder + name).isSymLink());
            if (mode == 0777)
                QCOMPARE(QDir(folder)
                             .entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                            QDir::NoDotAndDotDot,
                                        QDir::Name)
                             .join(' '),
                         pointedTo.keys().join(' '));
        }
    }

    // A disk with no byte left: registering a scene during the session and
    // the favourites at exit keep the files as they were, and the user is
    // told once, however many saves fail.
    void fullDiskDuringTheSessionKeepsTheFiles()
    {
        if (!privateMounts)
            QSKIP("no mount namespace of our own (needs root): no small file system");
        const SmallDisk disk(64 << 10);
        QVERIFY(disk.mounted());
        const QString folder = disk.folder();
        const QString movie = test_media::clip("clip.avi");
        QVERIFY(writeFile(folder + "okini.ini", (movie + "\r\n").toUtf8()));
        QVERIFY(QDir().mkpath(folder + "image"));
        SceneFile scenes = SceneFile::forMovie(folder + "seen/", movie);
        for (int n = 0; n < 3; ++n)
            QVERIFY(scenes.registerScene(n, 1.5 + n, 150 + 100 * n));
        const QByteArray oldScenes = readFile(scenes.path());
        const QByteArray oldOkini = readFile(folder + "okini.ini");
        QVERIFY(fill(folder + "filler"));

        capturedLog.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
        const auto restoreHandler = qScopeGuard([previous] { qInstallMessageHandler(previous); });
        {
            auto fixture = PlayerFixture::start({folder, {movie}, disk.outside()});
            QVERIFY(fixture->started());
            Player &player = fixture->player();
            QVERIFY(waitForOpen(player));
            QTRY_COMPARE(int(player.movie().playState()), 1);
            player.sceneMenus().registerScene(3);
            QCOMPARE(readFile(scenes.path()), oldScenes);
            QVERIFY(player.saveNotice().box() && player.saveNotice().box()->isVisible());
            player.sceneMenus().registerScene(4);
            QCOMPARE(readFile(scenes.path()), oldScenes);
            QCOMPARE(noticesShown(), 1);
            QVERIFY(player.favourites().addPath(test_media::clip("clip.mpg")));
            player.Form_Unload();
        }
        QCOMPARE(readFile(folder + "okini.ini"), oldOkini);
        const QString log = capturedLog.join('\n');
        QVERIFY2(!capturedLog.filter("cannot write").filter("okini.ini").isEmpty(),
                 qPrintable(log));
        QVERIFY2(!capturedLog.filter("cannot write").filter(scenes.path()).isEmpty(),
                 qPrintable(log));
    }

    // State files that are there but cannot be read - a pipe, a loop of
    // links, a file too large, one the user may not read - are left as they
    // are, at exit and during the session, and so is a mimeapps.list that
    // holds the user's other associations.
    void unreadableFilesAreLeftAlone_data()
    {
        QTest::addColumn<int>("damage");
        QTest::newRow("pipe") << int(AsPipe);
        QTest::newRow("loop of links") << int(AsLinkLoop);
        QTest::newRow("too large") << int(AsTooLarge);
        QTest::newRow("not readable") << int(AsWriteOnly);
    }

    void unreadableFilesAreLeftAlone()
    {
        QFETCH(int, damage);
        QTemporaryDir base;
        const QString folder = base.path() + "/program/";
        const QString config = base.path() + "/config/";
        const QString data = base.path() + "/data/";
        QVERIFY(QDir().mkpath(folder + "seen") && QDir().mkpath(config) && QDir().mkpath(data));
        const QString movie = test_media::clip("clip.avi");
        const QString sceneFile = SceneFile::pathFor(folder + "seen/", movie);
        QStringList files = {folder + "config.ini",
                             folder + "key.ini",
                             folder + "dir.ini",
                             folder + "color.ini",
                             folder + "resume.ini",
                             folder + "okini.ini",
                             sceneFile,
                             config + "mimeapps.list"};
        // The search results may be far larger than any other state file.
        if (damage != AsTooLarge)
            files << folder + "searchData.ini";
        const QString large = base.path() + "/large";
        if (damage == AsTooLarge) {
            QFile file(large);
            QVERIFY(file.open(QIODevice::WriteOnly));
            const QByteArray line = "\"/home/aki/movies/a long name for a movie.avi\"\r\n";
            for (qint64 written = 0; written <= state_file::kDefaultReadLimit;
                 written += line.size())
                QVERIFY(file.write(line) == line.size());
        }
        for (const QString &path : files) {
            const QByteArray native = QFile::encodeName(path);
            switch (damage) {
            case AsPipe:
                QCOMPARE(::mkfifo(native.constData(), 0600), 0);
                break;
            case AsLinkLoop:
                QVERIFY(QFile::link(QFileInfo(path).fileName(), path));
                break;
            case AsTooLarge:
                QCOMPARE(::link(QFile::encodeName(large).constData(), native.constData()), 0);
                break;
            case AsWriteOnly:
                QVERIFY(writeFile(path, "[Added Associations]\r\nvideo/mp4=other.desktop\r\n"));
                QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
                break;
            }
        }
        QMap<QString, Identity> before;
        for (const QString &path : files)
            before[path] = identity(path);
        std::optional<AsNobody> unprivileged;
        if (damage == AsWriteOnly && ::geteuid() == 0) {
            unprivileged.emplace(base.path());
            QVERIFY(unprivileged->ok());
        }

        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        const QByteArray savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        qputenv("XDG_DATA_HOME", data.toUtf8());
        const auto restoreEnvironment = qScopeGuard([&] {
            qputenv("XDG_CONFIG_HOME", savedConfig);
            qputenv("XDG_DATA_HOME", savedData);
        });
        {
            auto fixture = PlayerFixture::start({folder, {}, base.path()});
            QVERIFY(fixture->started());
            Player &player = fixture->player();
            QVERIFY(player.favourites().addPath(movie));
            SceneFile scenes(sceneFile);
            QVERIFY(!scenes.registerScene(0, 1.5, 150));
            QVERIFY(!scenes.remove(0));
            FileAssociations associations("/usr/bin/sazanami");
            QVERIFY(!associations.associate("avi"));
            // Refusing is not failing: nothing to tell the user.
            QCOMPARE(noticesShown(), 0);
            player.Form_Unload();
        }
        for (const QString &path : files)
            QVERIFY2(identity(path) == before[path], qPrintable(path));
    }

    // The program's own state is for the user alone: the per-user folder is
    // made 0700, new state files and thumbnails in it are 0600, a file that
    // was there keeps its mode, and a thumbnail beside the movies is 0600
    // as well.
    void newStateIsTheUsersAlone()
    {
        QTemporaryDir base;
        const QString root = base.path() + "/";
        QVERIFY(QDir().mkpath(root + "usr/bin") && QDir().mkpath(root + "usr/share/sazanami"));
        const QByteArray savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", (root + "data").toUtf8());
        const QString folder = program_folder::forExecutableDir(root + "usr/bin");
        qputenv("XDG_DATA_HOME", savedData);
        QCOMPARE(folder, root + "data/sazanami/");
        QCOMPARE(modeOf(folder), mode_t(0700));

        const mode_t savedMask = ::umask(022);
        const auto restoreMask = qScopeGuard([savedMask] { ::umask(savedMask); });
        QVERIFY(state_file::writeWhole(folder + "okini.ini", "a\r\n"));
        QCOMPARE(modeOf(folder + "okini.ini"), mode_t(0600));
        QVERIFY(writeFile(folder + "config.ini", "[option]\r\n"));
        QVERIFY(QFile::setPermissions(folder + "config.ini",
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        QVERIFY(state_file::writeWhole(folder + "config.ini", "[other]\r\n"));
        QCOMPARE(modeOf(folder + "config.ini"), mode_t(0604));

        QVERIFY(QDir().mkpath(folder + "image") && QDir().mkpath(root + "movies/image"));
        const QString movie = test_media::clip("clip.avi");
        QVERIFY(FrameGrabber::writeBitmap(movie, 1, QSize(100, 75), folder + "image/clip.bmp"));
        QCOMPARE(modeOf(folder + "image/clip.bmp"), mode_t(0600));
        QVERIFY(
            FrameGrabber::writeBitmap(movie, 1, QSize(100, 75), root + "movies/image/clip.bmp"));
        // Beside the movies too: a frame tells what the user watches.
        QCOMPARE(modeOf(root + "movies/image/clip.bmp"), mode_t(0600));
    }
};

int main(int argc, char *argv[])
{
    // Before any thread starts: threads keep the mount namespace they were
    // started in.
    privateMounts = enterPrivateMounts();
    QApplication app(argc, argv);
    prepareMediaTests();
    TestStateFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_state_faults.moc"
