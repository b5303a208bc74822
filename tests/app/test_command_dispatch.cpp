// Keys and mouse commands of the main window reaching their operations.

#include "app/command_dispatch.h"
#include "app/desktop_options.h"
#include "base/key_bindings.h"
#include "base/virtual_keys.h"
#include "desktop/tray_icon.h"
#include "input/main_menu.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "playback/play_speed.h"
#include "playback/position_timer.h"
#include "player_fixture.h"
#include "test_files.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QScopeGuard>
#include <QSlider>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace
{

double positionOf(CMovie &movie)
{
    double position = -1;
    movie.currentPosition(&position);
    return position;
}

} // namespace

class TestCommandDispatch : public QObject
{
    Q_OBJECT

private slots:
    // Where no browser takes the help page, the user is told where it is.
    void helpWithoutABrowserSaysWhereItIs()
    {
        QTemporaryDir bin;
        QVERIFY(test_files::writeFile(bin.filePath("xdg-open"), "#!/bin/sh\nexit 3\n"));
        QVERIFY(
            QFile::setPermissions(bin.filePath("xdg-open"), QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        const QString help = QCoreApplication::applicationDirPath() + "/help.html";
        const bool shipped = QFile::exists(help);
        QVERIFY(shipped || test_files::writeFile(help, "<html></html>"));
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", path);
            if (!shipped)
                QFile::remove(help);
        });
        qputenv("PATH", QFile::encodeName(bin.path()) + ":" + path);
        PlayerFixture fixture;
        fixture.player().window().findChild<QAction *>("help")->trigger();
        QTRY_VERIFY(!fixture.player().window().findChildren<QMessageBox *>("notice").isEmpty());
        QVERIFY(
            fixture.player().window().findChild<QMessageBox *>("notice")->text().contains(help));
    }

    void enterAfterAnInputBoxIsSwallowedOnce()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        QWidget *display = player.window().display();
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(player.movie().playState()), 1);

        player.window().swallow_enter = true;
        QTest::keyClick(display, Qt::Key_Return);
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(player.movie().playState()), 1);
        QVERIFY(!player.window().swallow_enter);

        QTest::keyClick(display, Qt::Key_Return);
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(player.movie().playState()), 2);
        QTest::keyClick(display, Qt::Key_Return);
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(player.movie().playState()), 1);
    }

    void holdingFastForwardWindsWithTheSoundOff()
    {
        PlayerFixture fixture({test_media::clip("long3.avi")});
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        PositionTimer &timer = player.positionTimer();
        QWidget *display = player.window().display();
        movie.MediaPlay(PlayCommand::Pause);

        // A second a tick, ten ticks a second; 500 ms ticks again once let go.
        QTest::keyPress(display, Qt::Key_X);
        QCOMPARE(timer.tag(), 1.0);
        QCOMPARE(timer.tmrPosition()->interval(), 100);
        QVERIFY(qAbs(positionOf(movie) - 1.0) < 0.05);
        // Each tick moves a second on.
        QTRY_VERIFY_WITH_TIMEOUT(positionOf(movie) >= 4.0, 3000);

        QTest::keyRelease(display, Qt::Key_X);
        QCOMPARE(timer.tag(), 0.0);
        QCOMPARE(timer.tmrPosition()->interval(), 500);

        // With Shift the step is a twentieth of the movie: 9 seconds here.
        const double before = positionOf(movie);
        QTest::keyPress(display, Qt::Key_Z, Qt::ShiftModifier);
        QCOMPARE(timer.tag(), -9.0);
        QVERIFY(qAbs(positionOf(movie) - qMax(0.0, before - 9)) < 0.05);
        QTest::keyRelease(display, Qt::Key_Z, Qt::ShiftModifier);
        QCOMPARE(timer.tag(), 0.0);
    }

    // Winding never outlives the key: let go with Alt down, let go over
    // another window, or the window losing the focus with the key held.
    void windingEndsHoweverTheKeyIsLetGo()
    {
        PlayerFixture fixture({test_media::clip("long3.avi")});
        Player &player = fixture.player();
        PositionTimer &timer = player.positionTimer();
        QWidget *display = player.window().display();

        QTest::keyPress(display, Qt::Key_X);
        QCOMPARE(timer.tag(), 1.0);
        QTest::keyRelease(display, Qt::Key_X, Qt::AltModifier);
        QCOMPARE(timer.tag(), 0.0);

        QLineEdit elsewhere;
        elsewhere.show();
        QTest::keyPress(display, Qt::Key_X);
        QTest::keyRelease(&elsewhere, Qt::Key_X);
        QCOMPARE(timer.tag(), 0.0);
        QCOMPARE(timer.tmrPosition()->interval(), 500);

        player.window().activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), player.window().windowHandle());
        QTest::keyPress(display, Qt::Key_X);
        QCOMPARE(timer.tag(), 1.0);
        elsewhere.activateWindow();
        QTRY_COMPARE(timer.tag(), 0.0);
    }

    void windingSilencesAndRestoresTheSound()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        QWidget *display = player.window().display();
        movie.MediaPlay(PlayCommand::Pause);

        QTest::keyPress(display, Qt::Key_X);
        player.positionTimer().tmrPosition_Timer();
        qint32 volume = 0;
        QVERIFY(waitForOpen(player));
        QVERIFY(movie.audioVolume(&volume));
        QVERIFY(volume <= -9999);
        QTest::keyRelease(display, Qt::Key_X);
        player.positionTimer().tmrPosition_Timer();
        QVERIFY(waitForOpen(player));
        QVERIFY(movie.audioVolume(&volume));
        QVERIFY(qAbs(volume - movie.volume()) <= 1);
    }

    void volumeAndSpeedKeys()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        QWidget *display = player.window().display();
        QSlider *vol = player.window().vol();
        vol->setValue(50);

        QTest::keyClick(display, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(vol->value(), 55);
        QCOMPARE(player.window().volForFullscreen()->value(), 55);
        QVERIFY(qAbs(player.movie().volume() - (55 - 100) * 50) <= 1);
        QTest::keyClick(display, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(vol->value(), 50);

        QTest::keyClick(display, Qt::Key_2);
        QCOMPARE(player.playSpeed().checkedIndex(), 0);
        QTest::keyClick(display, Qt::Key_3);
        QCOMPARE(player.playSpeed().checkedIndex(), 3);
        QTest::keyClick(display, Qt::Key_1);
        QCOMPARE(player.playSpeed().checkedIndex(), 2);
    }

    // The keypad's scene rows come before the capture binding: a capture key
    // on a keypad digit registers and jumps to scenes.
    void keypadScenesComeBeforeTheCaptureKey()
    {
        PlayerFixture fixture({test_media::clip("long3.avi")});
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        QWidget *display = player.window().display();
        QVERIFY(waitForOpen(player));
        QCOMPARE(
            player.keyBindings().trySet(KeyBindings::Capture, virtual_keys::Keypad0 + 3).result,
            KeyBindings::Result::Ok);
        movie.MediaPlay(PlayCommand::Pause);
        movie.setCurrentPosition(20);

        QTest::keyClick(display, Qt::Key_3, Qt::ControlModifier | Qt::KeypadModifier);
        movie.setCurrentPosition(0);
        QTest::keyClick(display, Qt::Key_3, Qt::KeypadModifier);
        QTRY_VERIFY(qAbs(positionOf(movie) - 20) < 0.5);
    }

    void altMakesKeysInertAndPagesFollowTheirKeys()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        QWidget *display = player.window().display();

        QTest::keyClick(display, Qt::Key_Q, Qt::AltModifier);
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(player.movie().playState()), 1);
        QTest::keyClick(display, Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(player.listPanel().selectedTab(), int(ListPanel::FavouritesPage));
        QTest::keyClick(display, Qt::Key_F3);
        QCOMPARE(player.listPanel().selectedTab(), int(ListPanel::SearchPage));
        // Stop only acts on a movie that is playing or paused.
        QTest::keyClick(display, Qt::Key_W);
        QVERIFY(waitForOpen(player));
        QCOMPARE(player.movie().filename(), QString());
        QVERIFY(player.window().display()->logo()->isVisible());
    }

    // The folder list keeps Enter and Backspace for itself; every other
    // binding acts from it as from the video, and none of them ends in the
    // list's type-ahead.
    void bindingsActFromTheFolderList()
    {
        QTemporaryDir folder;
        for (const char *name : {"alpha", "secret"})
            QDir(folder.path()).mkdir(name);
        const QString clip = folder.path() + "/clip.avi";
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), clip));
        PlayerFixture fixture({clip});
        Player &player = fixture.player();
        FileBrowser &browser = player.fileBrowser();
        QListWidget *folders = browser.folderList();
        QWidget *directory = player.window().directory();
        player.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&player.window()));
        QCOMPARE(int(player.movie().playState()), 1);
        if (!directory->isVisible())
            browser.toggleDirectory();
        folders->setCurrentItem(folders->findItems("alpha", Qt::MatchExactly).value(0));
        QVERIFY(folders->currentItem());
        // As the window system delivers them: to the focused control.
        auto typeInFolders = [&](Qt::Key key) {
            folders->setFocus();
            QTest::keyClick(player.window().windowHandle(), key);
        };

        typeInFolders(Qt::Key_Q);
        QCOMPARE(int(player.movie().playState()), 2);
        // The previous movie of a folder of one is the same, started anew.
        typeInFolders(Qt::Key_S);
        QCOMPARE(folders->currentItem()->text(), QString("alpha"));
        QTRY_COMPARE(int(player.movie().playState()), 1);
        // The capture key, like the other bound keys, leaves the keys with
        // the picture.
        typeInFolders(Qt::Key_C);
        QCOMPARE(QApplication::focusWidget(), player.window().display());
        typeInFolders(Qt::Key_Return);
        QTRY_COMPARE(browser.folder(), folder.path() + "/alpha");
        QCOMPARE(int(player.movie().playState()), 1);
        typeInFolders(Qt::Key_F4);
        QVERIFY(!directory->isVisible());
    }

    void rightClickWithoutAMovieDisablesTheScenes()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        QMenu *menu = player.mainMenu().menu();
        QTimer::singleShot(0, menu, [menu] { menu->close(); });
        QTest::mousePress(player.window().display(), Qt::RightButton);
        QVERIFY(!player.mainMenu().m_seen_load->menuAction()->isEnabled());
        QVERIFY(!player.mainMenu().m_edit_seen->menuAction()->isEnabled());

        const QStringList order = {"m_addOkiniForMenu",
                                   "m_entry",
                                   "m_size_entry",
                                   "m_speed",
                                   "m_mode",
                                   "sep10",
                                   "m_seen_load_entry",
                                   "m_edit_seen_entry",
                                   "sep3",
                                   "m_window_entry",
                                   "help",
                                   "m_exit"};
        QStringList names;
        for (QAction *action : menu->actions())
            names << (action->menu() && action->objectName().isEmpty()
                          ? action->menu()->objectName()
                          : action->objectName());
        QCOMPARE(names, order);

        // The tray's menu is the same menu, brought up to date the same way.
        player.mainMenu().m_seen_load->menuAction()->setEnabled(true);
        auto *tray = player.desktopOptions().trayIcon().findChild<QSystemTrayIcon *>();
        QVERIFY(tray);
        QTimer::singleShot(0, menu, [menu] { menu->close(); });
        emit tray->activated(QSystemTrayIcon::Context);
        QVERIFY(!player.mainMenu().m_seen_load->menuAction()->isEnabled());
        menu->close();
    }

    // A movie with two sound tracks and a subtitle file beside it: the two
    // submenus at the end list them and switch at once; a movie with one
    // sound track and no subtitles leaves the menu as it was.
    void soundTracksAndSubtitlesInTheMenu()
    {
        QTemporaryDir dir;
        const QString movie = dir.path() + "/movie.mkv";
        QVERIFY(QFile::copy(test_media::clip("tracks.mkv"), movie));
        QFile srt(dir.path() + "/movie.srt");
        QVERIFY(srt.open(QIODevice::WriteOnly));
        srt.write("1\n00:00:00,000 --> 00:00:03,000\nこんにちは\n");
        srt.close();
        PlayerFixture fixture;
        Player &player = fixture.player();
        MainMenu &menus = player.mainMenu();
        const QList<QAction *> before = menus.menu()->actions();
        const auto entries = [](QMenu *menu) {
            QStringList shown;
            for (const QAction *entry : menu->actions())
                shown << (entry->isChecked() ? "*" : "") + entry->text();
            return shown;
        };
        const auto selected = [&player](MediaTrack::Kind kind) {
            for (const MediaTrack &track : player.movie().state().tracks)
                if (track.kind == kind && track.selected)
                    return track.id;
            return 0;
        };

        QVERIFY(playAndWait(player, movie));
        QTRY_COMPARE(menus.menu()->actions().size(), before.size() + 3);
        QVERIFY(menus.menu()->actions()[before.size()]->isSeparator());
        QCOMPARE(
            menus.menu()->actions().mid(before.size() + 1),
            QList<QAction *>({menus.m_audio_track->menuAction(), menus.m_subtitle->menuAction()}));
        QCOMPARE(menus.menu()->actions().mid(0, before.size()), before);
        // mpv's own first choice: the first sound track, the subtitle found.
        QTRY_COMPARE(entries(menus.m_audio_track),
                     QStringList({"*1 [jpn] Main", "2 [eng] Commentary"}));
        QTRY_COMPARE(entries(menus.m_subtitle).size(), 2);
        QCOMPARE(menus.m_subtitle->actions().first()->text(), QString::fromUtf8("字幕なし"));
        QVERIFY(menus.m_subtitle->actions().last()->text().contains("movie.srt"));

        menus.m_audio_track->actions().last()->trigger();
        QTRY_COMPARE(selected(MediaTrack::Kind::Audio), 2);
        QTRY_COMPARE(entries(menus.m_audio_track).last(), QString("*2 [eng] Commentary"));
        menus.m_subtitle->actions().first()->trigger();
        QTRY_COMPARE(selected(MediaTrack::Kind::Subtitle), 0);
        menus.m_subtitle->actions().last()->trigger();
        QTRY_VERIFY(selected(MediaTrack::Kind::Subtitle) > 0);
        QTRY_VERIFY(menus.m_subtitle->actions().last()->isChecked());

        QVERIFY(playAndWait(player, test_media::clip("clip.avi")));
        QTRY_COMPARE(menus.menu()->actions(), before);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestCommandDispatch test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_command_dispatch.moc"
