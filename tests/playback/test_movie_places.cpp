// Each movie resumes where it was left, and the lists show how far each was
// watched.

#include "base/settings.h"
#include "favourites/favourites_list.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_colours.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "panels/okini_view.h"
#include "playback/movie_places.h"
#include "playback/play_mode.h"
#include "playback/transport.h"
#include "player_fixture.h"
#include "test_media.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

namespace
{

double positionOf(CMovie &movie)
{
    double position = -1;
    movie.currentPosition(&position);
    return position;
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// The pixels of the row's last lines that differ between two pictures of
// the list, and of those the ones in the list's text colour.
struct MarkPixels {
    int changed = 0;
    int fore = 0;
};
MarkPixels markPixels(const QImage &on, const QImage &off, const QRect &row, const QColor &fore)
{
    MarkPixels found;
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = row.left(); x <= row.right(); ++x) {
            if (on.pixel(x, y) == off.pixel(x, y))
                continue;
            ++found.changed;
            found.fore += QColor(on.pixel(x, y)) == fore;
        }
    return found;
}

} // namespace

class TestMoviePlaces : public QObject
{
    Q_OBJECT

private slots:
    // Left part-way by a change, a stop or the end of the program, a movie
    // starts there again from the list and from continuous play (prepared
    // ahead); played to its end, from its start.
    void eachMovieStartsWhereItWasLeft()
    {
        QTemporaryDir folder;
        for (const char *name : {"a.avi", "b.avi"})
            QVERIFY(QFile::copy(test_media::clip("long3.avi"), folder.filePath(name)));
        const QString a = folder.filePath("a.avi");
        const QString b = folder.filePath("b.avi");
        QTemporaryDir program;
        {
            auto fixture = PlayerFixture::start({program.path() + "/", {}, folder.path()});
            Player &player = fixture->player();
            CMovie &movie = player.movie();
            player.settings().set(Settings::ResumeEach, true);
            player.playMode().mode_Click(PlayMode::Continuous);

            QTRY_COMPARE(player.fileBrowser().fileList()->count(), 2);
            QVERIFY(playAndWait(player, a));
            QVERIFY(movie.setCurrentPosition(90));
            QVERIFY(playAndWait(player, b));
            QVERIFY(positionOf(movie) < 5);
            QVERIFY(movie.setCurrentPosition(100));
            // From the list, where continuous play goes on.
            list_selection::moveCurrent(player.fileBrowser().fileList(), 0);
            player.transport().play_Click();
            QVERIFY(waitForOpen(player));
            QCOMPARE(movie.filename(), a);
            QVERIFY(qAbs(positionOf(movie) - 90) < 2);

            // b follows a, prepared to start at its place.
            QTRY_COMPARE(movie.preparedNext(), b);
            QVERIFY(movie.setCurrentPosition(179));
            QTRY_COMPARE_WITH_TIMEOUT(movie.filename(), b, 10000);
            QVERIFY2(qAbs(positionOf(movie) - 100) < 3,
                     qPrintable(QString::number(positionOf(movie))));
            QCOMPARE(player.moviePlaces().markOf(a).kind, WatchedPlaces::Mark::Kind::Ended);
            QCOMPARE(player.moviePlaces().startFor(a), 0.0);

            QVERIFY(movie.setCurrentPosition(120));
            player.transport().stop_Click();
            QVERIFY(playAndWait(player, b));
            QVERIFY(qAbs(positionOf(movie) - 120) < 2);
            QVERIFY(movie.setCurrentPosition(130));
        }
        // Saved at the end, readable by this user alone.
        QFile saved(program.filePath("positions.ini"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        const QByteArray text = saved.readAll();
        QVERIFY2(text.contains("130.000\t180.000\t" + b.toUtf8() + "\n"), text.constData());
        QVERIFY(text.contains("-1\t180.000\t" + a.toUtf8() + "\n"));
    }

    // With the option on, the file list and the favourites (grid and report)
    // mark a movie left part-way by a bar as long as the part watched, in
    // the list's text colour, and one played to its end; none other.
    void listsMarkHowFarEachWasWatched()
    {
        QTemporaryDir folder;
        for (const char *name : {"a.avi", "b.avi", "c.avi"})
            QVERIFY(QFile::copy(test_media::clip("clip.avi"), folder.filePath(name)));
        QTemporaryDir program;
        writeFile(program.filePath("config.ini"),
                  "[directory]\r\nLastDir=" + folder.path().toUtf8() +
                      "\r\n[option]\r\nResumeEach=1\r\n[other]\r\nListVisible=1\r\n");
        writeFile(program.filePath("positions.ini"),
                  "90.000\t180.000\t" + folder.filePath("a.avi").toUtf8() + "\n-1\t180.000\t" +
                      folder.filePath("b.avi").toUtf8() + "\n");
        auto fixture = PlayerFixture::start({program.path() + "/", {}, folder.path()});
        Player &player = fixture->player();
        QTRY_COMPARE(player.fileBrowser().fileList()->count(), 3);
        FavouritesList &favourites = player.favourites();
        for (const char *name : {"a.avi", "b.avi", "c.avi"})
            favourites.add_okini(folder.path() + "/", name);
        const QColor fore = ListColours::kDefaultFore;

        const auto check = [&](QAbstractItemView *list, bool wholeRowBar) {
            list->show();
            // Selected rows take the selection's colours.
            list->selectionModel()->clear();
            QApplication::processEvents();
            player.settings().set(Settings::ResumeEach, true);
            const QImage on = list->viewport()->grab().toImage();
            player.settings().set(Settings::ResumeEach, false);
            const QImage off = list->viewport()->grab().toImage();
            QVERIFY(!on.isNull() && on.size() == off.size());
            MarkPixels marks[3];
            for (int row = 0; row < 3; ++row) {
                const QRect rect = list->visualRect(list->model()->index(row, 0));
                QVERIFY(on.rect().contains(rect));
                marks[row] = markPixels(on, off, rect, fore);
            }
            QVERIFY(marks[0].fore > 0 && marks[1].changed > 0);
            QCOMPARE(marks[2].changed, 0);
            if (wholeRowBar) {
                // Two lines, filled half-way along the name's width.
                const int width = list->visualRect(list->model()->index(0, 0)).width();
                QVERIFY2(marks[0].fore > width * 0.7 && marks[0].fore < width * 1.2,
                         qPrintable(QString("%1 of %2").arg(marks[0].fore).arg(width)));
            }
        };
        player.listPanel().selectTab(ListPanel::FilePage);
        check(player.fileBrowser().fileList(), true);
        player.listPanel().selectTab(ListPanel::FavouritesPage);
        favourites.setViewMode(true);
        check(player.listPanel().List_okini, false);
        favourites.setViewMode(false);
        check(player.listPanel().List_okini, false);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestMoviePlaces test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_movie_places.moc"
