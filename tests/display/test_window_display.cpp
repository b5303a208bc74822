// The window as the user sees it, without a window manager: the list panel
// and the video area's size, the picture's fit and masks, the list opened by
// the pointer, the size presets, small mode, full screen and the movie
// volume bars.

#include "base/private_profile.h"
#include "display/display_modes.h"
#include "input/main_menu.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/okini_view.h"
#include "panels/window_options.h"
#include "playback/open_and_play.h"
#include "player_fixture.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

namespace
{

// The rectangle the picture takes inside the video area.
QRect pictureOf(CMovie &movie)
{
    QWidget *surface = movie.videoWidget();
    return surface ? surface->geometry() : QRect();
}

// The whole screen as the compositor shows it (tools/run_under_weston.sh
// names its screenshooter); a null image without one.
QImage compositorScreen()
{
    const QString shooter = qEnvironmentVariable("SAZANAMI_TEST_SCREENSHOOTER");
    QTemporaryDir shots;
    if (shooter.isEmpty() || !shots.isValid())
        return {};
    QProcess shot;
    shot.setWorkingDirectory(shots.path());
    shot.start(shooter);
    QTest::qWaitFor([&] { return shot.state() == QProcess::NotRunning; }, 10000);
    const QStringList files = QDir(shots.path()).entryList({"*.png"});
    return files.size() == 1
               ? QImage(shots.filePath(files.first())).convertToFormat(QImage::Format_RGB32)
               : QImage();
}

// A widget of a full-screen window as the screen shows it.
QImage shownInFullScreen(QWidget *widget)
{
    const QImage screen = compositorScreen();
    if (screen.isNull())
        return test_media::shownPicture(widget);
    return screen.copy(QRect(widget->mapTo(widget->window(), QPoint()), widget->size()));
}

qint32 movieVolume(CMovie &movie)
{
    qint32 volume = 1;
    movie.audioVolume(&volume);
    return volume;
}

} // namespace

class TestWindowDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareMediaTests(); }

    void listPanelFitAndMasks()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        MainWindow &window = player.window();
        QWidget *display = window.display();
        QTRY_VERIFY(window.listOpen());
        window.resize(900, 500);
        QTRY_COMPARE(window.width(), 900);

        // The list's "+" and "-" lie over the tab strip's free end, never
        // over a tab, down to the narrowest list.
        QTabBar *tabs = player.listPanel().Tab1;
        const auto tabsClear = [&] {
            const QRect strip(tabs->mapTo(window.list(), QPoint()), tabs->size());
            return !strip.intersects(window.sizeBar()->geometry());
        };
        QVERIFY(tabsClear());
        const int listWidth = window.listWidth();
        QAction *narrower = window.sizeBar()->findChild<QAction *>("sub");
        for (int i = 0; i < 10; ++i)
            narrower->trigger();
        QTRY_VERIFY(window.listWidth() <= 100);
        QVERIFY(tabsClear());
        window.setListWidth(listWidth);
        window.resize(900, 500);
        QTRY_COMPARE(window.width(), 900);

        // Closing and opening the list changes the window, not the video.
        const QSize video = display->size();
        window.btList()->click();
        QVERIFY(!window.listOpen());
        QTRY_COMPARE(window.width(), 900 - window.sideWidth());
        QCOMPARE(display->size(), video);
        window.btList()->click();
        QTRY_COMPARE(window.width(), 900);
        QCOMPARE(display->size(), video);

        // The splitter dropped 100 pixels to the left: the video narrows, the
        // list widens, the window stays; never closer than 500 twips to the
        // left edge.
        QWidget *splitter = window.kyoukai();
        const QPoint grip(2, 100);
        QTest::mousePress(splitter, Qt::LeftButton, {}, grip);
        QTest::mouseMove(splitter, grip - QPoint(100, 0));
        QTest::mouseRelease(splitter, Qt::LeftButton, {}, grip - QPoint(100, 0));
        QCOMPARE(display->width(), video.width() - 98);
        QCOMPARE(window.listWidth() + display->width() + splitter->width(), 900);
        QTest::mousePress(splitter, Qt::LeftButton, {}, grip);
        QTest::mouseMove(splitter, QPoint(-splitter->x(), 100));
        QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(-splitter->x(), 100));
        QCOMPARE(display->width(), window.pixelsX(500));

        // A 4:3 movie letterboxed in a wide area; stretched over it.
        WindowOptions &options = player.windowOptions();
        options.Keep_Aspect->click();
        window.hide_list();
        window.resize(1000, 300 + window.controlHeight());
        QTRY_COMPARE(display->size(), QSize(1000, 300));
        QTRY_COMPARE(pictureOf(player.movie()), QRect(300, 0, 400, 300));
        // A 10 % mask hides a tenth of the picture.
        options.Scroll_upper->setValue(10);
        options.scroll_under->setValue(20);
        QCOMPARE(window.clipUpper()->geometry(), QRect(0, 0, 1000, 30));
        QCOMPARE(window.clipUnder()->geometry(), QRect(0, 240, 1000, 60));
        QVERIFY(window.clipUpper()->isVisible());
        options.use_fullWindow->click();
        QVERIFY(waitForOpen(player));
        QTRY_COMPARE(pictureOf(player.movie()), QRect(0, 0, 1000, 300));
        options.Scroll_upper->setValue(0);
        QVERIFY(!window.clipUpper()->isVisible());

        // The pointer in the strip along the right edge opens the list, out
        // of it closes it; never in small mode.
        options.Check_auto_hide->setChecked(true);
        window.activateWindow();
        if (QGuiApplication::platformName() == "wayland")
            QSKIP("a headless Wayland compositor activates no window");
        QTRY_VERIFY(window.isActiveWindow());
        QTest::mouseMove(display, QPoint(display->width() - 5, 150));
        QTRY_VERIFY(window.listOpen());
        QTest::mouseMove(display, QPoint(display->width() - 5, 2));
        QTRY_VERIFY(!window.listOpen());
        player.displayModes().enter_small_mode();
        QTest::mouseMove(display, QPoint(display->width() - 5, 150));
        QTest::qWait(50);
        QVERIFY(!window.listOpen());
    }

    void sizesSmallModeAndFullScreen()
    {
        const QString clip = test_media::clip("clip.avi");
        PlayerFixture fixture({clip});
        Player &player = fixture.player();
        MainWindow &window = player.window();
        CMovie &movie = player.movie();
        DisplayModes &modes = player.displayModes();
        QWidget *display = window.display();
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(movie.playState()), 1);

        // "２００％" on a 320 x 240 movie.
        player.mainMenu().size[1]->trigger();
        QTRY_COMPARE(display->size(), QSize(640, 480));
        player.mainMenu().size[4]->trigger();
        QTRY_COMPARE(display->size(), QSize(240, 180));
        // "５０％": the video area keeps the width the controls need, with
        // the picture centred in it and every control clear of the others.
        player.mainMenu().size[5]->trigger();
        QTRY_COMPARE(display->width(), window.leastVideoWidth());
        QTRY_VERIFY(qAbs(pictureOf(movie).center().x() - display->width() / 2) <= 1);
        QVERIFY(qAbs(pictureOf(movie).center().y() - display->height() / 2) <= 1);
        QVERIFY(pictureOf(movie).width() <= display->width());
        QVERIFY(window.seekBar()->geometry().right() < window.time()->geometry().left());
        QVERIFY(window.time()->geometry().right() < window.control()->width());
        QVERIFY(window.panel()->geometry().right() < window.vol()->geometry().left());
        QVERIFY(window.vol()->geometry().right() <
                window.btList()->mapTo(window.control(), QPoint()).x());
        QVERIFY(window.vol()->width() >= window.pixelsX(750));
        QTest::keyClick(display, Qt::Key_Home);
        QTRY_COMPARE(display->size(), QSize(320, 240));
        // Page Up: 100 source pixels wider.
        QTest::keyClick(display, Qt::Key_PageUp);
        QTRY_COMPARE(display->size(), QSize(420, 315));
        // The original size comes back with the option, and with every movie
        // opened while it is on.
        player.mainMenu().original->trigger();
        QTRY_COMPARE(display->size(), QSize(320, 240));
        QVERIFY(player.windowOptions().Check_original->isChecked());
        player.mainMenu().size[1]->trigger();
        QTRY_COMPARE(display->size(), QSize(640, 480));
        QVERIFY(playAndWait(player, clip, 0));
        QTRY_COMPARE(display->size(), QSize(320, 240));

        // Small mode with the list open: the list closes and comes back, the
        // caption says which mode it is.
        QVERIFY(window.listOpen());
        const QRect normal = window.geometry();
        QTest::keyClick(display, Qt::Key_M, Qt::ControlModifier);
        QVERIFY(modes.smallMode());

        QCOMPARE(window.windowTitle(), QString::fromUtf8("Sazanami（最小モード）"));
        QVERIFY(!window.listOpen());
        QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
        QTRY_COMPARE(display->size(), QSize(320, 240));
        QSignalSpy smallFrames(&movie, &CMovie::frameShown);
        QTRY_VERIFY(smallFrames.count() > 5);
        QCOMPARE(player.mainMenu().m_small->text(), QString::fromUtf8("最小表示をやめる"));
        QTest::mouseDClick(display, Qt::LeftButton);
        QVERIFY(!modes.smallMode());

        QVERIFY(window.listOpen());
        QCOMPARE(window.windowTitle(), QString("clip"));
        QTRY_COMPARE(window.geometry(), normal);

        // Alt+Enter while paused does nothing; while playing it fills the
        // screen, and Esc brings back the same rectangle.
        movie.MediaPlay(PlayCommand::Pause);
        QTest::keyClick(display, Qt::Key_Return, Qt::AltModifier);
        QVERIFY(!modes.fullScreen());
        movie.MediaPlay(PlayCommand::Play);
        QTest::keyClick(display, Qt::Key_Return, Qt::AltModifier);
        QVERIFY(modes.fullScreen());
        const QSize screen = window.screen()->size();
        QTRY_COMPARE(window.size(), screen);
        QTRY_COMPARE(display->size(), screen);
        QVERIFY(window.control()->isHidden());
        QSignalSpy frames(&movie, &CMovie::frameShown);
        QTRY_VERIFY(frames.count() > 5);
        // The 4:3 picture keeps its shape on the screen, centred.
        const QRect picture = pictureOf(movie);
        QVERIFY2(qAbs(picture.width() * 3 - picture.height() * 4) <= 4,
                 qPrintable(QString("%1x%2").arg(picture.width()).arg(picture.height())));
        QVERIFY(picture.width() == screen.width() || picture.height() == screen.height());
        QVERIFY(qAbs(picture.center().y() - screen.height() / 2) <= 1);
        QVERIFY(qAbs(picture.center().x() - screen.width() / 2) <= 1);
        // The control bar comes with the pointer at the top, the lists at the
        // bottom: the favourites on the left, the files on the right.
        QFrame *bar = window.fullscreenControl();
        QTest::mouseMove(display, QPoint(screen.width() / 2, 2));
        QTRY_VERIFY(bar->isVisible());
        for (const char *name : {"fullscreen_play", "fullscreen_stop", "fullscreen_next"}) {
            const QWidget *button = bar->findChild<QWidget *>(name);
            QVERIFY2(button && bar->mask().contains(button->geometry()), name);
        }
        QTest::mouseMove(display, QPoint(screen.width() / 2, screen.height() / 2));
        QTRY_VERIFY(!bar->isVisible());
        QVERIFY(!window.list()->isVisible());
        ListPanel &panel = player.listPanel();
        QTest::mouseMove(display, QPoint(screen.width() / 2, screen.height() - 2));
        QTRY_VERIFY(panel.File->isVisible());
        QVERIFY(panel.List_okini->isVisible());
        // On the screen too, over the picture's own window.
        QTRY_VERIFY(test_media::pictureDistance(shownInFullScreen(panel.List_okini),
                                                panel.List_okini->grab().toImage()) < 2);
        QVERIFY(!window.list()->isVisible());
        const QRect files(panel.File->mapTo(&window, QPoint()), panel.File->size());
        const QRect favourites(panel.List_okini->mapTo(&window, QPoint()),
                               panel.List_okini->size());
        QCOMPARE(favourites.left(), 0);
        QCOMPARE(favourites.right() + 1, files.left());
        QCOMPARE(favourites.top(), files.top());
        QVERIFY(files.right() >= screen.width() - 1 && files.bottom() >= screen.height() - 1);
        QVERIFY(files.width() < screen.width() / 2 && files.height() < screen.height() / 2);
        // Back over the picture, the lists go back into the panel.
        QTest::mouseMove(display, QPoint(screen.width() / 2, screen.height() / 2));
        QTRY_VERIFY(!panel.File->isVisible());
        QCOMPARE(panel.File->parentWidget(), window.list());
        // F4 shows the folder frame as a box above the file list's place.
        QTest::keyClick(display, Qt::Key_F4);
        QTRY_VERIFY(window.directory()->isVisible());
        QCOMPARE(window.directory()->geometry().bottom() + 1, files.top());
        QCOMPARE(window.directory()->geometry().right() + 1, screen.width());
        // Home and F8 do nothing in full screen.
        QTest::keyClick(display, Qt::Key_Home);
        QCOMPARE(display->size(), screen);
        QTest::keyClick(display, Qt::Key_Escape);
        QVERIFY(!modes.fullScreen());
        QTRY_COMPARE(window.geometry(), normal);
        // A compositor answers the change later and may size the window
        // itself then: the rectangle must still be the same once it did.
        QTRY_VERIFY(window.windowHandle()->isExposed());
        QTest::qWait(300);
        QCOMPARE(window.geometry(), normal);
        QVERIFY(window.control()->isVisible());
        QVERIFY(!window.directory()->isVisible());
        QCOMPARE(window.directory()->geometry(), display->geometry());
        QVERIFY(panel.File->isVisible());
        QCOMPARE(movie.filename(), clip);
        QCOMPARE(int(movie.playState()), 1);
    }

    // A compositor blends windows by their alpha: the picture must be
    // opaque where the screen shows it, whichever way it is drawn.
    void pictureIsOpaqueOnScreen()
    {
        if (qEnvironmentVariableIsEmpty("SAZANAMI_TEST_SCREENSHOOTER"))
            QSKIP("needs the compositor's screenshooter (tools/run_under_weston.sh)");
        PlayerFixture fixture({test_media::clip("magenta.avi")});
        Player &player = fixture.player();
        QVERIFY(waitForOpen(player));
        QSignalSpy frames(&player.movie(), &CMovie::frameShown);
        QTRY_VERIFY(frames.count() > 3);
        const QImage screen = compositorScreen();
        QVERIFY(!screen.isNull());
        int magenta = 0;
        for (int y = 0; y < screen.height(); y += 4)
            for (int x = 0; x < screen.width(); x += 4) {
                const QRgb pixel = screen.pixel(x, y);
                magenta += qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) > 200;
            }
        const QSize picture = pictureOf(player.movie()).size();
        QVERIFY2(magenta >= picture.width() * picture.height() / 16 * 9 / 10,
                 qPrintable(QString::number(magenta)));
    }

    // Closed in small mode: the next start is in small mode again, and
    // leaving it gives the window as it was with its list.
    void smallModeSurvivesARestart()
    {
        QTemporaryDir folder;
        const PlayerFixture::Options options{
            folder.path() + "/", {test_media::clip("clip.avi")}, folder.path()};
        QRect normal;
        {
            auto first = PlayerFixture::start(options);
            MainWindow &window = first->player().window();
            normal = window.geometry();
            first->player().displayModes().enter_small_mode();
            QVERIFY(!window.listOpen());
            window.close();
        }
        const PrivateProfile saved = PrivateProfile::load(folder.filePath("config.ini"));
        QCOMPARE(saved.readInt("other", "SmallMode"), 1);
        QCOMPARE(saved.readInt("other", "ListVisible"), 1);

        auto second = PlayerFixture::start(options);
        MainWindow &window = second->player().window();
        DisplayModes &modes = second->player().displayModes();
        QVERIFY(modes.smallMode());
        QCOMPARE(window.windowTitle(), QString::fromUtf8("Sazanami（最小モード）"));
        modes.leave_small_mode();
        QVERIFY(window.listOpen());
        QTRY_COMPARE(window.geometry(), normal);
    }

    void movieVolumeBars()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        MainWindow &window = player.window();
        CMovie &movie = player.movie();
        QSlider *vol = window.vol();
        const int usable = vol->width() - window.pixelsX(80);

        QTest::mouseClick(vol, Qt::LeftButton, {}, QPoint(usable / 2, vol->height() / 2));
        QVERIFY(qAbs(vol->value() - 50) <= 1);
        QVERIFY(qAbs(movieVolume(movie) - -2500) <= 50);
        QTest::mouseClick(vol, Qt::LeftButton, {}, QPoint(vol->width() - 1, 2));
        QCOMPARE(vol->value(), 100);
        QCOMPARE(window.volForFullscreen()->value(), 100);

        QTest::mouseClick(vol, Qt::LeftButton, {}, QPoint(usable * 7 / 10, 2));
        QCOMPARE(vol->value(), 70);
        QTest::mouseClick(vol, Qt::RightButton);
        QCOMPARE(vol->value(), 0);
        QCOMPARE(movieVolume(movie), -10000);
        QCOMPARE(movie.volume(), -10000);
        QTest::mouseClick(window.volForFullscreen(), Qt::RightButton);
        QCOMPARE(vol->value(), 70);
        QCOMPARE(window.volForFullscreen()->value(), 70);
        QVERIFY(qAbs(movieVolume(movie) - -1500) <= 1);

        // The volume keys step by 5, within 0..100.
        QTest::keyClick(window.display(), Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(vol->value(), 75);
        QVERIFY(qAbs(movie.volume() - -1250) <= 1);
        for (int i = 0; i < 10; ++i)
            QTest::keyClick(window.display(), Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(vol->value(), 100);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestWindowDisplay test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_display.moc"
