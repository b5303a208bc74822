// Playing a folder through: next, previous and the end of a movie by mode.

#include "base/settings.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"
#include "player_fixture.h"
#include "search/search_page.h"
#include "test_media.h"
#include "window/main_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
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
        QTest::qWait(700);
        QCOMPARE(elapsed->text(), QString(" 0:00 "));
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
        QCOMPARE(int(player.sequencer().randomPicker().history().size()), 5);
        player.sequencer().play_next();
        QCOMPARE(int(player.sequencer().randomPicker().history().size()), 1);
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
        QCOMPARE(int(movie.playState()), 1);
        double position = 0;
        QVERIFY(waitForOpen(player));
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
