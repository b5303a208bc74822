// The state reaches the disk while the program runs, so that a kill, a crash
// or a power cut loses at most the last few seconds of it.

#include "base/private_profile.h"
#include "favourites/favourites_list.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "playback/open_and_play.h"
#include "playback/resume.h"
#include "player_fixture.h"
#include "test_files.h"
#include "test_media.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using test_files::readFile;
using test_files::writeFile;

class TestStateSaver : public QObject
{
    Q_OBJECT

private slots:
    // A favourite added, a list page chosen and a movie playing are in the
    // files without an exit; the resume point follows the movie as it plays.
    void savedWithoutAnExit()
    {
        QTemporaryDir folder;
        const QString programFolder = folder.path() + "/";
        QVERIFY(QDir().mkpath(programFolder + "movies"));
        const QString movie = programFolder + "movies/long, one.avi";
        QVERIFY(QFile::copy(test_media::clip("long3.avi"), movie));

        auto fixture = PlayerFixture::start({programFolder, {}, folder.path()});
        QVERIFY(fixture->started());
        Player &player = fixture->player();
        player.favourites().add_okini(programFolder + "movies", "long, one.avi");
        player.listPanel().selectTab(ListPanel::SearchPage);
        QVERIFY(playAndWait(player, movie));

        QTRY_VERIFY_WITH_TIMEOUT(readFile(programFolder + "okini.ini").contains("long, one.avi"),
                                 10000);
        QTRY_COMPARE_WITH_TIMEOUT(
            PrivateProfile::load(programFolder + "config.ini").readInt("other", "ListMode"),
            int(ListPanel::SearchPage), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(readFile(programFolder + "resume.ini").contains("long"), 10000);
        const QByteArray first = readFile(programFolder + "resume.ini");
        QTRY_VERIFY_WITH_TIMEOUT(readFile(programFolder + "resume.ini") != first, 10000);
    }

    // A movie resumed far down a long favourites file, read in pieces, is
    // selected there, and continuous play goes on after it; while the next
    // movie opens, the place saved is that movie, never "no movie".
    void resumedInALongListAndBetweenTwoMovies()
    {
        QTemporaryDir folder;
        const QString programFolder = folder.path() + "/";
        const QString movies = programFolder + "movies/";
        QVERIFY(QDir().mkpath(movies));
        QByteArray okini;
        for (int i = 0; i < 600; ++i)
            okini += QString("%1m%2.avi\n").arg(movies).arg(i, 3, 10, QChar('0')).toUtf8();
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), movies + "m500.avi"));
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), movies + "m501.avi"));
        QVERIFY(writeFile(programFolder + "okini.ini", okini));
        QVERIFY(writeFile(programFolder + "config.ini",
                          "[option]\nResume=1\n[other]\nPlayMode=1\nListMode=2\n"));
        QVERIFY(writeFile(programFolder + "resume.ini",
                          ("\"" + movies + "m500.avi\"\n1.5\n1\n").toUtf8()));

        auto fixture = PlayerFixture::start({programFolder, {}, folder.path()});
        QVERIFY(fixture->started());
        Player &player = fixture->player();
        QVERIFY(waitForOpen(player));
        QCOMPARE(player.movie().filename(), movies + "m500.avi");
        QTRY_COMPARE(player.favourites().get_okini_index(), 501);
        QTRY_COMPARE_WITH_TIMEOUT(player.movie().filename(), movies + "m501.avi", 10000);

        player.openAndPlay().play_file(movies + "m500.avi", 0);
        QVERIFY(player.movie().isOpening());
        QVERIFY(player.resume().resumeText().contains("m500.avi"));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestStateSaver test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_state_saver.moc"
