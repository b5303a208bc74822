// The state reaches the disk while the program runs, so that a kill, a crash
// or a power cut loses at most the last few seconds of it.

#include "base/private_profile.h"
#include "favourites/favourites_list.h"
#include "panels/list_panel.h"
#include "player_fixture.h"
#include "test_files.h"
#include "test_media.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using test_files::readFile;

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
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestStateSaver test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_state_saver.moc"
