// Opening a movie in the real window and what the position timer does with it.

#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/position_timer.h"
#include "playback/transport.h"
#include "player_fixture.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

class TestPlayFile : public QObject
{
    Q_OBJECT

private slots:
    void startsWithClipAndFollowsPlayback()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        QVERIFY(fixture.started());
        Player &player = fixture.player();
        MainWindow &window = player.window();

        QVERIFY(waitForOpen(player));
        QCOMPARE(window.windowTitle(), QString("clip"));
        QCOMPARE(window.seekBar()->maximum(), 300);
        QCOMPARE(window.seekBarForFullscreen()->maximum(), 300);
        QCOMPARE(window.lblMedia(3)->text(), QString("0:03"));
        QCOMPARE(player.openAndPlay().lastOpenResult(), 300);
        QVERIFY(!window.display()->logo()->isVisible());
        // Drawn with OpenGL, not by the software stand-in, in an X session.
        QVERIFY(test_media::drawsWithOpenGL(window.display()));
        QVERIFY(player.movie().videoWidget()->isVisible());
        QVERIFY(player.positionTimer().isActive());
        QCOMPARE(player.positionTimer().tmrPosition()->interval(), 500);

        // The timer moves the bar and the elapsed time, and the full-screen
        // time follows the label.
        QTRY_VERIFY_WITH_TIMEOUT(window.seekBar()->value() >= 100, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(window.lblMedia(4)->text(), QString(" 0:01 "), 5000);
        QCOMPARE(window.timeForFullscreen()->text(), window.lblMedia(4)->text());
        // Outside full screen the full-screen bar does not follow.
        QCOMPARE(window.seekBarForFullscreen()->value(), 0);
        // Stopped, the time reads as the seek bar does.
        player.transport().stop_Click();
        QCOMPARE(window.seekBar()->value(), 0);
        QCOMPARE(window.lblMedia(4)->text(), QString(" 00:00 "));
    }

    void normalModeStopsAndRewindsAtTheEnd()
    {
        PlayerFixture fixture({test_media::clip("clip.mpg")});
        Player &player = fixture.player();
        player.playMode().mode_Click(PlayMode::Normal);

        QTRY_VERIFY_WITH_TIMEOUT(!player.positionTimer().isActive(), 10000);
        QCOMPARE(int(player.movie().playState()), 3);
        double position = -1;
        QVERIFY(waitForOpen(player));
        QVERIFY(player.movie().currentPosition(&position));
        // Back at the first frame, which in an MPEG stream may sit a few
        // milliseconds after zero.
        QVERIFY2(position >= 0 && position < 0.05, qPrintable(QString::number(position)));
        // The bar keeps the last position it showed.
        QVERIFY(player.window().seekBar()->value() > 200);
        QCOMPARE(player.movie().filename(), test_media::clip("clip.mpg"));
    }

    void loopModeRestartsWithoutReopening()
    {
        PlayerFixture fixture({test_media::clip("clip.wmv")});
        Player &player = fixture.player();
        player.playMode().mode_Click(PlayMode::Loop);
        // Opening sets the caption; a restart that reopened would set it again.
        player.window().setWindowTitle("marker");

        SeekBar *bar = player.window().seekBar();
        QTRY_VERIFY_WITH_TIMEOUT(bar->value() >= 200, 6000);
        QTRY_VERIFY_WITH_TIMEOUT(bar->value() < 100, 6000);
        QTRY_VERIFY_WITH_TIMEOUT(bar->value() >= 50, 6000);
        QCOMPARE(int(player.movie().playState()), 1);
        QVERIFY(player.positionTimer().isActive());
        QCOMPARE(player.window().windowTitle(), QString("marker"));
    }

    // A movie that ends where there is nothing to play after it (a page
    // without a list) stays at its end, and is followed by the next as soon
    // as a list is shown again; once.
    void continuousModeFollowsAMovieLeftAtItsEndOnce()
    {
        PlayerFixture fixture({test_media::clip("clip.asf")});
        Player &player = fixture.player();
        QCOMPARE(player.playMode().get_play_mode(), int(PlayMode::Continuous));
        player.listPanel().selectTab(ListPanel::OptionsPage);
        QSignalSpy nextWanted(&player.positionTimer(), &PositionTimer::nextItemWanted);
        QSignalSpy opened(&player.openAndPlay(), &OpenAndPlay::movieOpened);

        QTRY_VERIFY_WITH_TIMEOUT(player.movie().state().atEnd, 10000);
        QVERIFY(player.positionTimer().isActive());
        QCOMPARE(nextWanted.count(), 0);
        QCOMPARE(player.movie().filename(), test_media::clip("clip.asf"));

        // The movie is alone in its folder: it plays again.
        player.listPanel().selectTab(ListPanel::FilePage);
        QTRY_COMPARE(nextWanted.count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, 10000);
        QVERIFY(player.movie().isPlaying());
        QCOMPARE(nextWanted.count(), 1);
    }

    void sectionIsReplayed()
    {
        PlayerFixture fixture({test_media::clip("clip.mov")});
        Player &player = fixture.player();
        PositionTimer &timer = player.positionTimer();
        CMovie &movie = player.movie();
        SeekBar *bar = player.window().seekBar();
        // Ticks by hand on a paused movie, so a late tick cannot move it on.
        timer.stop();
        movie.MediaPlay(PlayCommand::Pause);
        bar->setSelStart(50);
        bar->setSelLength(50);

        // Inside the section the movie goes on; past its end, each time, the
        // bar and the movie go back to its start.
        double position = 0;
        for (const double at : {0.8, 1.3, 0.9, 2.5}) {
            movie.setCurrentPosition(at);
            timer.tmrPosition_Timer();
            const double expected = at > 1.0 ? 0.5 : at;
            QVERIFY2(qAbs(bar->value() - expected * 100) <= 5,
                     qPrintable(QString::number(bar->value())));
            QVERIFY(waitForOpen(player));
            QVERIFY(movie.currentPosition(&position));
            QVERIFY2(qAbs(position - expected) < 0.05, qPrintable(QString::number(position)));
        }
    }

    void windingMovesBySteppedSecondsWithTheSoundOff()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        PositionTimer &timer = player.positionTimer();
        CMovie &movie = player.movie();
        timer.stop();
        movie.MediaPlay(PlayCommand::Pause);
        movie.setCurrentPosition(0.5);

        timer.setTag(1);
        timer.tmrPosition_Timer();
        double position = 0;
        QVERIFY(waitForOpen(player));
        QVERIFY(movie.currentPosition(&position));
        QVERIFY2(qAbs(position - 1.5) < 0.05, qPrintable(QString::number(position)));
        qint32 volume = 0;
        QVERIFY(waitForOpen(player));
        QVERIFY(movie.audioVolume(&volume));
        QVERIFY(volume <= -9999);

        timer.setTag(-100);
        timer.tmrPosition_Timer();
        QVERIFY(waitForOpen(player));
        QVERIFY(movie.currentPosition(&position));
        QCOMPARE(position, 0.0);

        timer.setTag(0);
        timer.tmrPosition_Timer();
        QVERIFY(waitForOpen(player));
        QVERIFY(movie.audioVolume(&volume));
        QVERIFY(qAbs(volume - movie.volume()) <= 1);
    }

    void volumeBarSetsTheMovieVolumeAtOpen()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        player.window().vol()->setValue(60);
        QVERIFY(playAndWait(player, test_media::clip("clip.avi"), 1.0));
        // 60 on the bar is 40 steps of half a decibel down.
        QVERIFY(qAbs(player.movie().volume() - (-2000)) <= 1);
        QCOMPARE(player.window().seekBar()->value(), 100);
    }

    void pausedMovieResumesInsteadOfReopening()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        const QString clip = test_media::clip("clip.avi");
        player.movie().MediaPlay(PlayCommand::Pause);
        player.window().setWindowTitle("marker");

        QVERIFY(playAndWait(player, clip, 0));
        QCOMPARE(int(player.movie().playState()), 1);
        QCOMPARE(player.window().windowTitle(), QString("marker"));

        // Playing, the same movie is opened again from the given position.
        QVERIFY(playAndWait(player, clip, 2.0));
        QCOMPARE(player.window().windowTitle(), QString("clip"));
        double position = 0;
        QVERIFY(waitForOpen(player));
        QVERIFY(player.movie().currentPosition(&position));
        QVERIFY(position >= 1.9);
    }

    void failedOpenLeavesTheWindowAsItWas()
    {
        PlayerFixture fixture({test_media::clip("clip.avi")});
        Player &player = fixture.player();
        MainWindow &window = player.window();
        player.positionTimer().stop();

        QVERIFY(waitForOpen(player));
        QVERIFY(playAndWait(player, test_media::clip("notmovie.avi"), 0));
        QCOMPARE(player.movie().filename(), QString());
        QCOMPARE(player.openAndPlay().lastOpenResult(), 0);
        QCOMPARE(window.windowTitle(), QString("clip"));
        QCOMPARE(window.seekBar()->maximum(), 300);
        QVERIFY(!player.positionTimer().isActive());
        // The previous movie is closed, so the logo is back.
        QVERIFY(window.display()->logo()->isVisible());

        QVERIFY(playAndWait(player, QString(), 0));
        QCOMPARE(player.movie().filename(), QString());
    }

    void longMovieTakesItsRangeFromTheDuration()
    {
        PlayerFixture fixture({test_media::clip("long10.avi")});
        Player &player = fixture.player();
        QVERIFY(waitForOpen(player));
        QCOMPARE(player.openAndPlay().lastOpenResult(), -1);
        QVERIFY(qAbs(player.window().seekBar()->maximum() - 60000) <= 5);
        QCOMPARE(player.window().lblMedia(3)->text(), QString("10:00"));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestPlayFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_play_file.moc"
