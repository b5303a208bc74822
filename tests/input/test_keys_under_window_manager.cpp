// Keys and clicks as a user gives them, sent through XTest under a real
// window manager: a chord acts by the keys held when its key went down, the
// window's keys keep working after whatever moved the focus, the menu keys
// open the main popup menu, and a click on the video never leaves the
// window stuck to the pointer.

#include "base/settings.h"
#include "display/display_modes.h"
#include "input/main_menu.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "player_fixture.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QMenu>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#ifdef SAZANAMI_HAVE_XTEST
#include "x_input.h"
#endif

class TestKeysUnderWindowManager : public QObject
{
    Q_OBJECT

#ifdef SAZANAMI_HAVE_XTEST
    XInput x_;
    QTemporaryDir folder_;
    QString clip_;

    // The program playing a movie of a folder, its window active and the
    // keys with the video.
    std::unique_ptr<PlayerFixture> startPlaying()
    {
        auto fixture = std::make_unique<PlayerFixture>(QStringList{clip_});
        MainWindow &window = fixture->player().window();
        [&] {
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.activateWindow();
            QTRY_VERIFY(window.isActiveWindow());
            window.display()->setFocus();
            QTRY_VERIFY(window.display()->hasFocus());
        }();
        return fixture;
    }
#endif

private slots:
    void initTestCase()
    {
#ifndef SAZANAMI_HAVE_XTEST
        QSKIP("needs XTest");
#else
        if (const QString missing = x_.start(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        prepareMediaTests();
        for (int i = 0; i < 3; ++i)
            QFile::copy(test_media::clip("play60.avi"),
                        folder_.filePath(QString("m%1.avi").arg(i)));
        clip_ = folder_.filePath("m0.avi");
#endif
    }

#ifdef SAZANAMI_HAVE_XTEST
    // Ctrl let go before the letter: the chord is still Ctrl and the letter.
    void chordsActByTheKeysHeldAtThePress()
    {
        auto fixture = startPlaying();
        Player &player = fixture->player();
        DisplayModes &modes = player.displayModes();
        const auto ctrlLetGoFirst = [this](KeySym letter) {
            x_.down(XK_Control_L);
            x_.down(letter);
            x_.up(XK_Control_L);
            x_.up(letter);
        };

        ctrlLetGoFirst(XK_i);
        QTRY_COMPARE(player.listPanel().selectedTab(), int(ListPanel::FavouritesPage));
        const bool topmost = player.settings().alwaysOnTop();
        ctrlLetGoFirst(XK_t);
        QTRY_COMPARE(player.settings().alwaysOnTop(), !topmost);
        ctrlLetGoFirst(XK_m);
        QTRY_VERIFY(modes.smallMode());
        ctrlLetGoFirst(XK_m);
        QTRY_VERIFY(!modes.smallMode());
        ctrlLetGoFirst(XK_w);
        QTRY_VERIFY(!player.window().isVisible());
    }

    // F6 hides the picture while it goes to the first frame, in full screen
    // too: the keys stay the window's, and the folder box shown with F4 takes
    // none of them, even with the focus in its drive list (Page Down and Home
    // size the picture rather than open another drive, Enter plays).
    // After another page, the first F4 on the file page shows the box.
    void keysStayTheWindowsAroundTheFolderBox()
    {
        auto fixture = startPlaying();
        Player &player = fixture->player();
        MainWindow &window = player.window();
        FileBrowser &browser = player.fileBrowser();
        DisplayModes &modes = player.displayModes();
        const QString folder = browser.folder();

        x_.chord({XK_Alt_L, XK_Return});
        QTRY_VERIFY(modes.fullScreen());
        x_.chord({XK_F4});
        QTRY_VERIFY(window.directory()->isVisible());
        x_.chord({XK_F6});
        QVERIFY(waitForOpen(player));
        x_.chord({XK_Alt_L, XK_Return});
        QTRY_VERIFY(!modes.fullScreen());

        x_.chord({XK_F4});
        QTRY_VERIFY(window.directory()->isVisible());
        // The drive list takes the focus from a turn of the wheel over it.
        browser.driveList()->setFocus();
        QTRY_VERIFY(browser.driveList()->hasFocus());
        const int drive = browser.driveList()->currentIndex();
        x_.chord({XK_Home});
        x_.chord({XK_Next});
        x_.chord({XK_Return});
        QTRY_COMPARE(int(player.movie().playState()), 1);
        QCOMPARE(browser.driveList()->currentIndex(), drive);
        QCOMPARE(browser.folder(), folder);
        x_.chord({XK_F4});
        QTRY_VERIFY(!window.directory()->isVisible());

        QTabBar *tabs = player.listPanel().Tab1;
        for (int page : {ListPanel::FavouritesPage, ListPanel::FilePage}) {
            x_.moveTo(tabs->mapToGlobal(tabs->tabRect(page - 1).center()));
            x_.button(1, true);
            x_.button(1, false);
            QTRY_COMPARE(player.listPanel().selectedTab(), page);
        }
        x_.chord({XK_F4});
        QTRY_VERIFY(window.directory()->isVisible());
    }

    // The Menu key and Shift+F10 open the main popup menu at the video; the
    // video moves the window when dragged, not when clicked.
    void menuKeysAndClicksOnTheVideo()
    {
        auto fixture = startPlaying();
        Player &player = fixture->player();
        MainWindow &window = player.window();
        QMenu *menu = player.mainMenu().menu();

        x_.chord({XK_Menu});
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(window.display()->rect().contains(window.display()->mapFromGlobal(menu->pos())));
        x_.chord({XK_Escape});
        QTRY_VERIFY(!menu->isVisible());
        x_.chord({XK_Shift_L, XK_F10});
        QTRY_VERIFY(menu->isVisible());
        x_.chord({XK_Escape});
        QTRY_VERIFY(!menu->isVisible());

        // A press moved with the button held moves the window.
        QPoint centre = window.display()->mapToGlobal(window.display()->rect().center());
        QPoint placed = window.frameGeometry().topLeft();
        x_.moveTo(centre);
        x_.button(1, true);
        for (int step = 1; step <= 6; ++step) {
            QTest::qWait(30);
            x_.moveTo(centre + QPoint(10 * step, 5 * step));
        }
        x_.button(1, false);
        QTRY_VERIFY(window.frameGeometry().left() > placed.x() + 20);
        QTRY_VERIFY(window.frameGeometry().top() > placed.y() + 10);

        // A click whose press and release come together (away from the last
        // press, so that it is no double click) moves nothing, and the keys
        // that come after it work.
        placed = window.frameGeometry().topLeft();
        centre = window.display()->mapToGlobal(window.display()->rect().center());
        x_.moveTo(centre - QPoint(40, 40));
        x_.button(1, true);
        x_.button(1, false);
        x_.moveTo(centre + QPoint(60, 40));
        x_.chord({XK_Control_L, XK_i});
        QTRY_COMPARE(player.listPanel().selectedTab(), int(ListPanel::FavouritesPage));
        QCOMPARE(window.frameGeometry().topLeft(), placed);
    }
#endif
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestKeysUnderWindowManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_keys_under_window_manager.moc"
