// Play, stop, the first frame and the four speeds from the window.

#include "display/display_modes.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_selection.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_speed.h"
#include "playback/position_timer.h"
#include "playback/transport.h"
#include "player_fixture.h"
#include "test_media.h"
#include "window/button_images.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace
{

double rateOf(CMovie &movie)
{
    double rate = 0;
    movie.rate(&rate);
    return rate;
}

bool showsImage(QAction *button, const char *key)
{
    return button->icon().cacheKey() == button_images::image(key).cacheKey();
}

} // namespace

class TestTransport : public QObject
{
    Q_OBJECT

    QTemporaryDir folder_;

    QString clip(const QString &name) const { return folder_.path() + "/" + name; }

private slots:
    void initTestCase()
    {
        for (const char *name : {"a.avi", "b.avi"})
            QVERIFY(QFile::copy(test_media::clip("clip.avi"), clip(name)));
    }

    void speedAppliesAtOnceAndToTheNextMovie()
    {
        PlayerFixture fixture({clip("a.avi")});
        Player &player = fixture.player();
        PlaySpeed &speed = player.playSpeed();
        QCOMPARE(speed.checkedIndex(), 2);
        QCOMPARE(rateOf(player.movie()), 1.0);

        speed.entry(1)->trigger();
        QVERIFY(waitForOpen(player));
        QCOMPARE(rateOf(player.movie()), 1.5);
        QVERIFY(showsImage(player.window().button(MainWindow::Button::Speed), "bai15"));

        QVERIFY(playAndWait(player, clip("b.avi"), 0));
        QCOMPARE(rateOf(player.movie()), 1.5);

        // No speed at all: every entry unchecked, the rate left alone.
        speed.bai_Click(-1);
        QCOMPARE(speed.checkedIndex(), -1);
        for (int i = 0; i < 4; ++i)
            QVERIFY(!speed.entry(i)->isChecked());
        QCOMPARE(rateOf(player.movie()), 1.5);
        speed.bai_Click(0);
        QVERIFY(waitForOpen(player));
        QCOMPARE(rateOf(player.movie()), 2.0);
    }

    void toolbarOpensTheSpeedAndModeMenus()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        QToolBar *toolbar = player.window().panel();
        for (QMenu *menu : {player.playSpeed().menu(), player.playMode().menu()}) {
            QAction *button = player.window().button(menu == player.playMode().menu()
                                                         ? MainWindow::Button::Mode
                                                         : MainWindow::Button::Speed);
            button->trigger();
            QTRY_VERIFY(menu->isVisible());
            // Opened with its left edge at the button's, just under the toolbar.
            const QWidget *pressed = toolbar->widgetForAction(button);
            QCOMPARE(menu->geometry().left(), pressed->mapToGlobal(QPoint(0, 0)).x());
            QCOMPARE(menu->geometry().top(),
                     toolbar->mapToGlobal(QPoint(0, toolbar->height())).y());
            menu->close();
        }
        // Picking an entry, also the one already checked, leaves it alone checked.
        for (int round = 0; round < 2; ++round) {
            player.playMode().entry(3)->trigger();
            QCOMPARE(player.playMode().get_play_mode(), int(PlayMode::Random));
            for (int i = 0; i < 4; ++i)
                QCOMPARE(player.playMode().entry(i)->isChecked(), i == 3);
        }
        QVERIFY(showsImage(player.window().button(MainWindow::Button::Mode), "rnd"));
    }

    void stopClosesTheMovieAndPlayStartsItAgain()
    {
        PlayerFixture fixture({clip("a.avi")});
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        QTRY_VERIFY_WITH_TIMEOUT(player.window().seekBar()->value() >= 100, 5000);

        // Stopped in full screen: the window comes back with the logo.
        const QRect normal = player.window().geometry();
        player.displayModes().enter_full_screen();
        QVERIFY(player.displayModes().fullScreen());
        player.window().button(MainWindow::Button::Stop)->trigger();
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), QString());
        QVERIFY(!player.displayModes().fullScreen());
        QTRY_COMPARE(player.window().geometry(), normal);
        QVERIFY(player.window().control()->isVisible());
        QVERIFY(player.window().display()->logo()->isVisible());
        QCOMPARE(player.window().seekBar()->value(), 0);
        QVERIFY(!player.positionTimer().isActive());

        player.window().button(MainWindow::Button::Play)->trigger();
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), clip("a.avi"));
        QCOMPARE(int(movie.playState()), 1);
        double position = 10;
        QVERIFY(waitForOpen(player));
        QVERIFY(movie.currentPosition(&position));
        QVERIFY2(position < 0.5, qPrintable(QString::number(position)));
        QVERIFY(player.positionTimer().isActive());
    }

    void firstFrameShowsTheSelectedMoviePausedAtTheStart()
    {
        PlayerFixture fixture({clip("a.avi")});
        Player &player = fixture.player();
        QListWidget *files = player.fileBrowser().fileList();
        list_selection::moveCurrent(files, 1);

        player.transport().mTopSeek_Click();
        CMovie &movie = player.movie();
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), clip("b.avi"));
        QCOMPARE(int(movie.playState()), 2);
        double position = 10;
        QVERIFY(waitForOpen(player));
        QVERIFY(movie.currentPosition(&position));
        QCOMPARE(position, 0.0);
        QCOMPARE(player.window().seekBar()->value(), 0);
        QVERIFY(player.window().display()->isVisible());
        QVERIFY(!player.transport().blackShape()->isVisible());
        QVERIFY(player.transport().firstFrameReady());
        // Still at the start a moment later: it is paused, not playing.
        QTest::qWait(700);
        QVERIFY(waitForOpen(player));
        QVERIFY(movie.currentPosition(&position));
        QCOMPARE(position, 0.0);
    }

    void nextAndPreviousButtonsWalkTheFolder()
    {
        PlayerFixture fixture({clip("a.avi")});
        Player &player = fixture.player();
        player.window().button(MainWindow::Button::Next)->trigger();
        QVERIFY(waitForOpen(player));
        QCOMPARE(QFileInfo(player.movie().filename()).fileName(), QString("b.avi"));
        player.window().button(MainWindow::Button::Pre)->trigger();
        QVERIFY(waitForOpen(player));
        QCOMPARE(QFileInfo(player.movie().filename()).fileName(), QString("a.avi"));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestTransport test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_transport.moc"
