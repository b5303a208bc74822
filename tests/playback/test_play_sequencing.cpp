// Playing a folder through: next, previous and the end of a movie by mode.

#include "base/settings.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "playback/next_movie.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"
#include "playback/position_timer.h"
#include "playback/transport.h"
#include "player_fixture.h"
#include "search/search_page.h"
#include "stalling_mount.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <set>

namespace
{

// A folder of short movies with the given names.
class ClipFolder
{
public:
    explicit ClipFolder(const QStringList &names)
    {
        for (const QString &name : names)
            QFile::copy(test_media::clip("clip.avi"), path(name));
    }
    QString path(const QString &name = {}) const { return dir_.path() + "/" + name; }

private:
    QTemporaryDir dir_;
};

QString playing(Player &player)
{
    return QFileInfo(player.movie().filename()).fileName();
}

// Counts the times a widget was hidden.
struct HideCounter : QObject {
    int hides = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        hides += event->type() == QEvent::Hide ? 1 : 0;
        return false;
    }
};

void playRow(Player &player, int row)
{
    QListWidget *files = player.fileBrowser().fileList();
    list_selection::moveCurrent(files, row);
    QVERIFY(playAndWait(player, player.fileBrowser().fullPath(row), 0));
}

} // namespace

class TestPlaySequencing : public QObject
{
    Q_OBJECT

private slots:
    void nextAndPreviousWrapAroundTheFolder()
    {
        ClipFolder folder({"a.avi", "b b.avi", "c.avi"});
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        QCOMPARE(player.fileBrowser().fileList()->count(), 3);

        playRow(player, 2);
        QVERIFY(waitForOpen(player));
        QCOMPARE(playing(player), QString("c.avi"));
        player.sequencer().play_next();
        QVERIFY(waitForOpen(player));
        QCOMPARE(playing(player), QString("a.avi"));
        QCOMPARE(int(player.movie().playState()), 1);
        player.sequencer().play_prev();
        QVERIFY(waitForOpen(player));
        QCOMPARE(playing(player), QString("c.avi"));
        player.sequencer().play_prev();
        QVERIFY(waitForOpen(player));
        QCOMPARE(playing(player), QString("b b.avi"));
        QCOMPARE(player.fileBrowser().fileList()->currentRow(), 1);
    }

    void continuousModeGoesOnFromTheLastFileToTheFirst()
    {
        ClipFolder folder({"a.avi", "b.avi"});
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        player.playMode().mode_Click(PlayMode::Continuous);
        playRow(player, 1);

        QVERIFY(waitForOpen(player));
        QTRY_COMPARE_WITH_TIMEOUT(playing(player), QString("a.avi"), 10000);
        QCOMPARE(int(player.movie().playState()), 1);
        QCOMPARE(player.window().windowTitle(), QString("a"));
    }

    // With the option for them on, the movies of today's containers play
    // through one after the other as the six do.
    void continuousPlayOverTheOtherFormats()
    {
        QTemporaryDir dir;
        const QStringList names = {"a.mp4", "b.mkv", "c.webm"};
        for (const QString &name : names)
            QVERIFY(QFile::copy(test_media::clip("clip." + QFileInfo(name).suffix()),
                                dir.path() + "/" + name));
        PlayerFixture fixture({}, dir.path());
        Player &player = fixture.player();
        QCOMPARE(player.fileBrowser().fileList()->count(), 0);
        player.settings().set(Settings::MoreFormats, true);
        QTRY_COMPARE(player.fileBrowser().fileList()->count(), 3);
        player.playMode().mode_Click(PlayMode::Continuous);
        playRow(player, 0);
        for (int next = 1; next <= 3; ++next) {
            QVERIFY(waitForOpen(player));
            // Near the end, so that the next comes soon.
            QVERIFY(player.movie().setCurrentPosition(2.6));
            QTRY_COMPARE_WITH_TIMEOUT(playing(player), names[next % 3], 10000);
        }
    }

    // The time shown once the next movie has come up by itself is the new
    // movie's, not the end of the one before.
    void elapsedTimeAfterAnAutomaticChangeIsTheNewMovies()
    {
        ClipFolder folder({"a.avi"});
        QVERIFY(QFile::copy(test_media::clip("long3.avi"), folder.path("b.avi")));
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        player.playMode().mode_Click(PlayMode::Continuous);
        QLabel *elapsed = player.window().lblMedia(4);
        QStringList shownAtOpen;
        QObject::connect(&player.openAndPlay(), &OpenAndPlay::movieOpened, elapsed,
                         [&] { shownAtOpen << elapsed->text(); });
        list_selection::moveCurrent(player.fileBrowser().fileList(), 0);
        QVERIFY(playAndWait(player, folder.path("a.avi"), 2.0));

        QTRY_COMPARE_WITH_TIMEOUT(playing(player), QString("b.avi"), 10000);
        QCOMPARE(shownAtOpen, QStringList({" 0:02 ", " 0:00 "}));
        // Read after the position timer's own handler has shown the time, at
        // its ticks in the new movie's first second.
        QStringList shownInFirstSecond;
        QObject::connect(player.positionTimer().tmrPosition(), &QTimer::timeout, elapsed, [&] {
            double position = 0;
            if (player.movie().currentPosition(&position) && position < 1.0)
                shownInFirstSecond << elapsed->text();
        });
        QTRY_VERIFY(!shownInFirstSecond.isEmpty());
        QCOMPARE(shownInFirstSecond.first(), QString(" 0:00 "));
    }

    void randomPlaysEveryFileBeforeRepeating()
    {
        ClipFolder folder({"1.avi", "2.avi", "3.avi", "4.avi", "5.avi"});
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        player.playMode().mode_Click(PlayMode::Random);

        std::set<QString> played;
        for (int i = 0; i < 5; ++i) {
            player.sequencer().play_next();
            QVERIFY(waitForOpen(player));
            played.insert(playing(player));
        }
        QCOMPARE(int(played.size()), 5);
        // The sixth starts a new round (its pick may have been made ahead).
        player.sequencer().play_next();
        QVERIFY(waitForOpen(player));
        QVERIFY(player.sequencer().randomPicker().history().size() < 5);
    }

    void randomOverOneFileReplaysIt()
    {
        ClipFolder folder({"only.avi"});
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        player.playMode().mode_Click(PlayMode::Random);
        player.sequencer().play_next();
        QVERIFY(waitForOpen(player));
        QCOMPARE(playing(player), QString("only.avi"));
        player.sequencer().play_next();
        QVERIFY(waitForOpen(player));
        QCOMPARE(playing(player), QString("only.avi"));
        QVERIFY(player.sequencer().randomPicker().history().empty());
    }

    void vanishedFileIsDroppedFromTheListAndNotPlayed()
    {
        ClipFolder folder({"a.avi", "b.avi", "c.avi"});
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        playRow(player, 0);
        QVERIFY(QFile::remove(folder.path("b.avi")));

        player.sequencer().play_next();
        QTRY_COMPARE(player.fileBrowser().fileList()->count(), 2);
        QCOMPARE(playing(player), QString("a.avi"));
        QCOMPARE(int(player.movie().playState()), 3);
    }

    // Without a list, next and previous do nothing, and play pauses and
    // resumes the movie where it is.
    void settingsPageHasNothingToPlay()
    {
        ClipFolder folder({"a.avi", "b.avi"});
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        playRow(player, 0);
        player.listPanel().selectTab(ListPanel::OptionsPage);
        player.sequencer().play_next();
        player.sequencer().play_prev();
        QVERIFY(waitForOpen(player));
        QCOMPARE(playing(player), QString("a.avi"));
        QCOMPARE(int(player.movie().playState()), 1);

        CMovie &movie = player.movie();
        QVERIFY(movie.setCurrentPosition(1.5));
        player.transport().play_Click();
        QCOMPARE(int(movie.playState()), 2);
        double position = 0;
        QVERIFY(movie.currentPosition(&position) && position >= 1.4);
        player.transport().play_Click();
        QCOMPARE(int(movie.playState()), 1);
        QCOMPARE(playing(player), QString("a.avi"));
    }

    // The next movie is prepared ahead and follows without a hidden picture
    // or the logo in between; the list and the window follow it as they
    // follow any open.  A mode that stops at the end prepares none.
    void continuousPlayGoesOnWithoutASeam()
    {
        ClipFolder folder({"a.avi", "b.avi", "c.avi"});
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        player.playMode().mode_Click(PlayMode::Continuous);
        playRow(player, 0);
        QTRY_COMPARE(movie.preparedNext(), folder.path("b.avi"));

        HideCounter hidden;
        movie.videoWidget()->installEventFilter(&hidden);
        QSignalSpy advanced(&movie, &CMovie::advanced);
        QSignalSpy opened(&movie, &CMovie::opened);
        const QRect window = player.window().geometry();
        QVERIFY(movie.setCurrentPosition(2.5));
        QTRY_COMPARE_WITH_TIMEOUT(playing(player), QString("b.avi"), 10000);
        QCOMPARE(advanced.count(), 1);
        QCOMPARE(opened.count(), 0);
        QCOMPARE(hidden.hides, 0);
        QCOMPARE(player.window().geometry(), window);
        QVERIFY(!player.window().display()->logo()->isVisible());
        QCOMPARE(player.fileBrowser().fileList()->currentRow(), 1);
        QCOMPARE(player.window().windowTitle(), QString("b"));
        QCOMPARE(player.window().seekBar()->maximum(), advanced[0][1].toInt());
        QCOMPARE(int(movie.playState()), 1);
        QTRY_COMPARE(movie.preparedNext(), folder.path("c.avi"));

        player.playMode().mode_Click(PlayMode::Normal);
        QCOMPARE(movie.preparedNext(), QString());
    }

    // A random pick is made ahead and kept: the movie prepared is the one
    // that plays.
    void randomPlayPlaysThePickMadeAhead()
    {
        ClipFolder folder({"a.avi", "b.avi", "c.avi", "d.avi", "e.avi"});
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        player.playMode().mode_Click(PlayMode::Random);
        playRow(player, 0);
        QTRY_VERIFY(!movie.preparedNext().isEmpty());
        const QString prepared = movie.preparedNext();
        player.nextMovie().replan();
        QCOMPARE(movie.preparedNext(), prepared);
        QVERIFY(movie.setCurrentPosition(2.5));
        QTRY_COMPARE_WITH_TIMEOUT(movie.filename(), prepared, 10000);
    }

    // A movie stopped at its end in normal play is followed by the next once
    // continuous play is turned on.
    void aMovieLeftAtItsEndIsFollowedOnceThereIsANext()
    {
        ClipFolder folder({"a.avi", "b.avi"});
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        player.playMode().mode_Click(PlayMode::Normal);
        playRow(player, 0);
        QVERIFY(movie.setCurrentPosition(2.5));
        QTRY_COMPARE_WITH_TIMEOUT(int(movie.playState()), 3, 10000);
        QCOMPARE(playing(player), QString("a.avi"));
        player.playMode().mode_Click(PlayMode::Continuous);
        QVERIFY(waitForOpen(player));
        QTRY_COMPARE_WITH_TIMEOUT(playing(player), QString("b.avi"), 10000);
    }

    // Stop while the next movie is being looked for or opened: nothing
    // plays after it.
    void stopDuringAnOpenStops()
    {
        ClipFolder folder({"a.avi", "b.avi"});
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        player.playMode().mode_Click(PlayMode::Continuous);
        playRow(player, 0);
        QSignalSpy opened(&player.openAndPlay(), &OpenAndPlay::movieOpened);
        QWidget *display = player.window().display();
        for (int i = 0; i < 2; ++i) {
            player.sequencer().play_next();
            // Once while the file is looked for, once as soon as it opens.
            if (i == 0)
                QTest::keyClick(display, Qt::Key_W);
            else
                connect(&player.sequencer(), &PlaySequencer::playWanted, display,
                        [display] { QTest::keyClick(display, Qt::Key_W); });
            QVERIFY(waitForOpen(player));
            QCOMPARE(player.movie().filename(), QString());
            QCOMPARE(opened.count(), 0);
        }
    }

    // Next on a share whose server went away: the window goes on answering
    // while the file is asked after, and the step gives up in time.
    void nextOnAShareThatStoppedAnsweringKeepsTheWindowAnswering()
    {
        if (!fuseUsable())
            QSKIP("FUSE is not usable here");
        ClipFolder source({"a.avi", "b.avi"});
        QTemporaryDir mountParent;
        StallingMount mount("mirror", source.path(), mountParent.filePath("share"));
        QVERIFY(mount.waitMounted());
        PlayerFixture fixture({}, mount.mountPoint());
        Player &player = fixture.player();
        playRow(player, 0);

        mount.freeze();
        // What the kernel knows of the files from the listing is kept a
        // second; after that every question goes to the server.
        QTest::qWait(1200);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(10);
        player.sequencer().play_next();
        QVERIFY(player.sequencer().stepPending());
        QTRY_VERIFY_WITH_TIMEOUT(!player.sequencer().stepPending(), 10000);
        QVERIFY2(ticks > 20, qPrintable(QString::number(ticks)));
        QVERIFY(!player.movie().isOpening());
        mount.thaw();
    }

    // A movie whose reads start failing half way counts as played to its
    // end: continuous play goes on with the next.
    void aMovieThatCannotBeReadToItsEndIsFollowed()
    {
        if (!fuseUsable())
            QSKIP("FUSE is not usable here");
        ClipFolder source({});
        QVERIFY(QFile::copy(test_media::clip("clip.mpg"), source.path("a.mpg")));
        QVERIFY(QFile::copy(test_media::clip("clip.mpg"), source.path("b.mpg")));
        QTemporaryDir mountParent;
        StallingMount mount("failing", source.path(), mountParent.filePath("share"));
        QVERIFY(mount.waitMounted());
        PlayerFixture fixture({}, mount.mountPoint());
        Player &player = fixture.player();
        QCOMPARE(player.fileBrowser().fileList()->count(), 2);
        player.playMode().mode_Click(PlayMode::Continuous);
        // Without a list shown nothing is prepared: mpv lets go of the movie.
        player.listPanel().selectTab(ListPanel::OptionsPage);
        list_selection::moveCurrent(player.fileBrowser().fileList(), 0);
        QVERIFY(playAndWait(player, mount.path("a.mpg")));
        QTRY_VERIFY_WITH_TIMEOUT(!player.movie().isPlaying(), 10000);
        QCOMPARE(playing(player), QString("a.mpg"));
        player.listPanel().selectTab(ListPanel::FilePage);
        QTRY_COMPARE_WITH_TIMEOUT(playing(player), QString("b.mpg"), 10000);
    }

    // On the search page a paused movie that comes up again as the next
    // result goes on where it was; going back restarts it.
    void searchPageKeepsAPausedMovieGoingForward()
    {
        ClipFolder folder({"a.avi"});
        PlayerFixture fixture;
        Player &player = fixture.player();
        QListView *results = player.listPanel().List_Find;
        player.searchPage().results().append({{folder.path(), "a.avi"}, {folder.path(), "a.avi"}});
        player.listPanel().selectTab(ListPanel::SearchPage);
        list_selection::moveCurrent(results, 0);
        QVERIFY(playAndWait(player, folder.path("a.avi"), 0));
        CMovie &movie = player.movie();
        movie.setCurrentPosition(1.5);
        movie.MediaPlay(PlayCommand::Pause);

        player.sequencer().play_next();
        QCOMPARE(results->currentIndex().row(), 1);
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(movie.playState()), 1);
        double position = 0;
        QVERIFY(movie.currentPosition(&position));
        QVERIFY2(position >= 1.4, qPrintable(QString::number(position)));

        movie.MediaPlay(PlayCommand::Pause);
        player.sequencer().play_prev();
        QCOMPARE(results->currentIndex().row(), 0);
        QVERIFY(waitForOpen(player));
        QCOMPARE(int(movie.playState()), 1);
        QVERIFY(movie.currentPosition(&position));
        QVERIFY2(position < 1.0, qPrintable(QString::number(position)));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestPlaySequencing test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_play_sequencing.moc"
