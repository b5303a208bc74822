// Start-up and shut-down of the whole program in a real window.

#include "app/qt_language.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/position_timer.h"
#include "player_fixture.h"
#include "test_files.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <csignal>

namespace
{

QStringList filesBelow(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    found.sort();
    return found;
}

void copyClip(const QString &clip, const QString &target)
{
    QFile::remove(target);
    QVERIFY(QFile::copy(clip, target));
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void firstStartWithoutAMovie()
    {
        PlayerFixture fixture;
        QVERIFY(fixture.started());
        Player &player = fixture.player();
        MainWindow &window = player.window();

        QVERIFY(window.isVisible());
        QCOMPARE(window.objectName(), QString("player"));
        QCOMPARE(window.windowTitle(), QString("Sazanami"));
        QVERIFY(window.display()->logo()->isVisible());
        QCOMPARE(window.vol()->value(), 100);
        QCOMPARE(player.playMode().get_play_mode(), int(PlayMode::Continuous));
        QCOMPARE(int(player.movie().playState()), 0);
        QVERIFY(player.listPanel().Ver->text().startsWith(QString::fromUtf8("バージョン：　Ver.")));
        QVERIFY(QDir(fixture.programFolder() + "image").exists());
        QVERIFY(QDir(fixture.programFolder() + "seen").exists());
        QCOMPARE(player.imageFolder(), fixture.programFolder() + "image/");
        QCOMPARE(player.sceneFolder(), fixture.programFolder() + "seen/");
    }

    void controlsCarryTheirNames()
    {
        PlayerFixture fixture;
        MainWindow &window = fixture.player().window();
        for (const char *name : {"display",
                                 "logo",
                                 "control",
                                 "panel",
                                 "SeekBar",
                                 "lblMedia_3",
                                 "lblMedia_4",
                                 "vol",
                                 "SeekBarForFullscreen",
                                 "time_forFullscreen",
                                 "volForFullscreen",
                                 "kyoukai",
                                 "list",
                                 "Tab1",
                                 "File",
                                 "List_okini",
                                 "find",
                                 "FindText",
                                 "List_Find",
                                 "config",
                                 "directory",
                                 "Ver"})
            QVERIFY2(window.findChild<QObject *>(name), name);
        for (const char *key : {"play", "stop", "pre", "next", "size", "speed", "mode", "temae",
                                "capture", "fullscreen"})
            QVERIFY2(window.panel()->findChild<QAction *>(QString("panel_") + key), key);
        QCOMPARE(window.lblMedia(3)->text(), QString("00:00"));
        QCOMPARE(window.lblMedia(4)->text(), QString(" 00:00 "));
        QVERIFY(!window.volForFullscreen()->isVisible());
        QTabBar *tabs = fixture.player().listPanel().Tab1;
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(0), QString::fromUtf8("ファイル"));
        QCOMPARE(tabs->tabText(3), QString::fromUtf8("設定"));
    }

    void commandLinePathWithBlanksAndJapaneseLetters()
    {
        QTemporaryDir movies;
        const QString name = movies.path() + QString::fromUtf8("/夏の 海, \"浜\".AVI");
        copyClip(test_media::clip("clip.avi"), name);
        // The shell splits the name at its blanks; words after it are ignored.
        const QStringList arguments = name.split(' ') << "extra"
                                                      << "words";
        PlayerFixture fixture(arguments);
        Player &player = fixture.player();
        QVERIFY(waitForOpen(player));
        QCOMPARE(player.movie().filename(), name);
        QCOMPARE(player.window().windowTitle(), QString::fromUtf8("夏の 海, \"浜\""));
        QCOMPARE(player.listPanel().selectedTab(), int(ListPanel::FilePage));
    }

    void relativeCommandLinePathIsMadeAbsolute()
    {
        QTemporaryDir movies;
        copyClip(test_media::clip("clip.mpg"), movies.path() + "/a.mpg");
        PlayerFixture fixture({"a.mpg"}, movies.path());
        QCOMPARE(fixture.player().movie().filename(), movies.path() + "/a.mpg");
    }

    void commandLineThatNamesNoMoviePlaysNothing()
    {
        QTemporaryDir folder;
        QFile notes(folder.path() + "/notes.txt");
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("not a movie\n");
        notes.close();

        for (const QString &argument : {notes.fileName(), folder.path() + "/missing.avi"}) {
            PlayerFixture fixture({argument});
            Player &player = fixture.player();
            QVERIFY(waitForOpen(player));
            QCOMPARE(player.movie().filename(), QString());
            QCOMPARE(int(player.movie().playState()), 0);
            QCOMPARE(player.window().windowTitle(), QString("Sazanami"));
            QVERIFY(player.window().display()->logo()->isVisible());
            QVERIFY(!player.positionTimer().isActive());
        }
    }

    // What a second start or the desktop hands over while a movie is paused:
    // a movie plays, the paused one giving way; anything else leaves the
    // paused movie as it was.
    void handedOverNamesWhileAMovieIsPaused()
    {
        QTemporaryDir folder;
        QFile notes(folder.path() + "/notes.txt");
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        QVERIFY(movie.setCurrentPosition(1.5));
        movie.MediaPlay(PlayCommand::Pause);

        QSignalSpy opened(&player.openAndPlay(), &OpenAndPlay::movieOpened);
        player.playCommandLine(notes.fileName());
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), test_media::clip("clip.avi"));
        QCOMPARE(movie.playState(), PlayState::Paused);
        double position = 0;
        QVERIFY(movie.currentPosition(&position) && position >= 1.4);
        QCOMPARE(opened.count(), 0);
        // An mkv with the other formats off: the user hears why, once.
        const QString mkv = folder.path() + "/film.mkv";
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), mkv));
        player.playCommandLine(mkv);
        player.playCommandLine(mkv);
        QCOMPARE(movie.filename(), test_media::clip("clip.avi"));
        const QList<QMessageBox *> told = player.window().findChildren<QMessageBox *>("notice");
        QCOMPARE(told.size(), 1);
        QVERIFY(told.first()->text().contains("film.mkv"));

        player.playCommandLine(test_media::clip("clip.mov"));
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), test_media::clip("clip.mov"));
        QCOMPARE(movie.playState(), PlayState::Playing);
        QCOMPARE(opened.count(), 1);
    }

    void secondInstanceEndsWithoutShowingOrWriting()
    {
        PlayerFixture first;
        QVERIFY(first.started());
        const QStringList before = filesBelow(first.programFolder());
        const int windowsBefore = QApplication::topLevelWidgets().size();

        Player second;
        StartupOptions options;
        options.programFolder = first.programFolder();
        options.arguments = QStringList{test_media::clip("clip.avi")};
        QVERIFY(!second.Form_Load(options));
        QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
        QCOMPARE(filesBelow(first.programFolder()), before);
        // The movie is handed to the first, which plays it.
        QCOMPARE(first.player().movie().filename(), QString());
        QTRY_COMPARE(first.player().movie().filename(), test_media::clip("clip.avi"));
    }

    // The real program, started twice from one folder, and ended by the
    // session manager's signal.
    void secondProcessEndsAtOnceAndFirstEndsOnSigterm()
    {
        QTemporaryDir install;
        const QString program = test_files::installProgramCopy(install.path());
        QVERIFY(!program.isEmpty());

        // Without a runtime folder of the session's, Qt uses the program's
        // own and does not complain.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("XDG_RUNTIME_DIR");
        QProcess firstStart;
        firstStart.setProcessEnvironment(environment);
        firstStart.start(program, {});
        QVERIFY(firstStart.waitForStarted());
        // The state folders appear once start-up is past the instance check.
        QTRY_VERIFY_WITH_TIMEOUT(QDir(install.path() + "/seen").exists(), 10000);
        const QStringList before = filesBelow(install.path());

        QProcess secondStart;
        secondStart.start(program, {test_media::clip("clip.avi")});
        QVERIFY(secondStart.waitForFinished(10000));
        QCOMPARE(secondStart.exitStatus(), QProcess::NormalExit);
        QCOMPARE(secondStart.exitCode(), 0);
        QCOMPARE(filesBelow(install.path()), before);
        QCOMPARE(firstStart.state(), QProcess::Running);

        firstStart.terminate();
        QVERIFY(firstStart.waitForFinished(10000));
        QCOMPARE(firstStart.exitStatus(), QProcess::NormalExit);
        QCOMPARE(firstStart.exitCode(), 0);
        QVERIFY(!firstStart.readAllStandardError().contains("XDG_RUNTIME_DIR"));
    }

    // Started where there is no display: one line says so, in both
    // languages, and nothing is written.
    void startWithoutADisplaySaysSoAndEnds()
    {
        QTemporaryDir install;
        const QString program = test_files::installProgramCopy(install.path());
        QVERIFY(!program.isEmpty());
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(variable);
        run.setProcessEnvironment(environment);
        run.start(program, {test_media::clip("clip.avi")});
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        const QString said = QString::fromUtf8(run.readAllStandardError());
        QCOMPARE(said.count(u'\n'), 1);
        QVERIFY(said.contains(QString::fromUtf8("画面が見つかりません")));
        QVERIFY(said.contains("No display found"));
        QCOMPARE(QDir(install.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"sazanami"});
    }

    // An X session without any OpenGL (some remote desktops) still plays, in
    // software, instead of crashing when the window is drawn.
    void playsWithoutOpenGL()
    {
        QTemporaryDir install;
        const QString program = test_files::installProgramCopy(install.path());
        QVERIFY(!program.isEmpty());

        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_XCB_GL_INTEGRATION", "none");
        environment.insert("QT_LOGGING_RULES", "sazanami.media.debug=true");
        run.setProcessEnvironment(environment);
        QByteArray log;
        connect(&run, &QProcess::readyReadStandardError, this,
                [&run, &log] { log += run.readAllStandardError(); });
        run.start(program, {test_media::clip("clip.avi")});
        QVERIFY(run.waitForStarted());
        // A picture was drawn, and not by OpenGL.
        QTRY_VERIFY_WITH_TIMEOUT(log.contains("first frame drawn in software"), 15000);
        QCOMPARE(run.state(), QProcess::Running);
        run.terminate();
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
    }

    // The session manager may end the program at any moment, also while it is
    // still starting and waiting for its window and its first movie.
    void terminationSignalWhileStartingEndsTheProgram()
    {
        QTemporaryDir install;
        const QString program = test_files::installProgramCopy(install.path());
        QVERIFY(!program.isEmpty());

        for (const int delayMs : {0, 40, 80, 120, 160, 220, 300, 400}) {
            QProcess run;
            run.start(program, {test_media::clip("clip.avi")});
            QVERIFY(run.waitForStarted());
            QTest::qWait(delayMs);
            run.terminate();
            // A signal before the handlers are in place ends it the default
            // way; after that, shut-down runs.  Either way it must not stay.
            QVERIFY2(run.waitForFinished(10000), qPrintable(QString("delay %1").arg(delayMs)));
            if (run.exitStatus() == QProcess::NormalExit)
                QCOMPARE(run.exitCode(), 0);
        }
    }

    void terminationSignalClosesTheWindowAndEndsTheSession()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        QVERIFY(waitForOpen(player));
        QVERIFY(!player.movie().filename().isEmpty());
        ::raise(SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!player.window().isVisible(), 5000);
        QCOMPARE(player.movie().filename(), QString());
        QVERIFY(!player.positionTimer().isActive());
    }

    // Qt's own buttons and dialogs read Japanese, whatever the desktop's
    // language (the tests run in the C locale).
    void qtDialogsSpeakJapanese()
    {
        QVERIFY(qt_language::useJapanese(*qApp));
        QMessageBox ask(QMessageBox::Question, "Sazanami", "?", QMessageBox::Yes | QMessageBox::No);
        QVERIFY2(ask.button(QMessageBox::Yes)->text().startsWith(QString::fromUtf8("はい")),
                 qPrintable(ask.button(QMessageBox::Yes)->text()));
        QVERIFY2(ask.button(QMessageBox::No)->text().startsWith(QString::fromUtf8("いいえ")),
                 qPrintable(ask.button(QMessageBox::No)->text()));

        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.setAcceptMode(QFileDialog::AcceptOpen);
        auto *buttons = files.findChild<QDialogButtonBox *>();
        QVERIFY(buttons);
        const QString open = buttons->button(QDialogButtonBox::Open)->text();
        QVERIFY2(open.startsWith(QString::fromUtf8("開く")), qPrintable(open));
        const QString cancel = buttons->button(QDialogButtonBox::Cancel)->text();
        QVERIFY2(cancel.startsWith(QString::fromUtf8("キャンセル")), qPrintable(cancel));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    prepareMediaTests();
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup.moc"
