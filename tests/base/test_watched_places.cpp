// Where each movie was left: what is kept, what its file holds, and how many.

#include "base/native_path.h"
#include "base/watched_places.h"

#include <QTest>

using Kind = WatchedPlaces::Mark::Kind;

class TestWatchedPlaces : public QObject
{
    Q_OBJECT

private slots:
    void leftPartWayIsKeptNearTheEndCountsAsPlayed()
    {
        WatchedPlaces places;
        QVERIFY(places.leave("/m/a.mp4", 600, 1200));
        QCOMPARE(places.startOf("/m/a.mp4"), 600.0);
        QCOMPARE(places.markOf("/m/a.mp4").kind, Kind::PartWay);
        QCOMPARE(places.markOf("/m/a.mp4").fraction, 0.5);
        // A glance at its start changes nothing.
        QVERIFY(!places.leave("/m/a.mp4", 12, 1200));
        QCOMPARE(places.startOf("/m/a.mp4"), 600.0);
        // Within its last 30 s it was played through: it starts from 0.
        QVERIFY(places.leave("/m/a.mp4", 1180, 1200));
        QCOMPARE(places.startOf("/m/a.mp4"), 0.0);
        QCOMPARE(places.markOf("/m/a.mp4").kind, Kind::Ended);
        // A clip shorter than a minute is not played through by opening it.
        QVERIFY(!places.leave("/m/short.avi", 0, 20));
        QCOMPARE(places.markOf("/m/short.avi").kind, Kind::None);
        QVERIFY(places.leave("/m/short.avi", 20, 20));
        QCOMPARE(places.markOf("/m/short.avi").kind, Kind::Ended);
        // A name with a line break cannot be stored on a line.
        QVERIFY(!places.leave("/m/two\nlines.avi", 100, 1000));
        QCOMPARE(places.size(), 2);
    }

    void fileKeepsNamesAsTheSystemHasThem()
    {
        WatchedPlaces places;
        const QString foreign =
            native_path::decode(QByteArray("/m/\x83\x65\x83\x58\x83\x67\t1.avi")); // Shift_JIS
        places.leave(foreign, 100.25, 400);
        places.leave("/m/b.avi", 399, 400);
        const QByteArray text = places.text();
        QVERIFY(text.contains(QByteArray("/m/\x83\x65\x83\x58\x83\x67\t1.avi\n")));
        // Lines that cannot be read are skipped, the others kept.
        const WatchedPlaces read = WatchedPlaces::fromText("junk\nx\t1\t/m/c.avi\n" + text);
        QCOMPARE(read.size(), 2);
        QCOMPARE(read.startOf(foreign), 100.25);
        QCOMPARE(read.markOf("/m/b.avi").kind, Kind::Ended);
        QCOMPARE(read.text(), text);
        QVERIFY(WatchedPlaces::isInFormat(text));
        QVERIFY(!WatchedPlaces::isInFormat("[option]\nResume=1\n"));
    }

    void theOldestGoFirst()
    {
        WatchedPlaces places;
        for (int i = 0; i < WatchedPlaces::kMostMovies; ++i)
            places.leave(QString("/m/%1.avi").arg(i), 100, 1000);
        // Left again, the first is newer than the second.
        places.leave("/m/0.avi", 200, 1000);
        places.leave("/m/new.avi", 100, 1000);
        QCOMPARE(places.size(), WatchedPlaces::kMostMovies);
        QCOMPARE(places.startOf("/m/0.avi"), 200.0);
        QCOMPARE(places.startOf("/m/1.avi"), 0.0);
        QCOMPARE(places.startOf("/m/new.avi"), 100.0);
        // A file of more keeps its newest (last) lines.
        QByteArray text = places.text();
        text.prepend("50.000\t1000.000\t/m/older.avi\n");
        const WatchedPlaces read = WatchedPlaces::fromText(text);
        QCOMPARE(read.size(), WatchedPlaces::kMostMovies);
        QCOMPARE(read.startOf("/m/older.avi"), 0.0);
        QCOMPARE(read.startOf("/m/2.avi"), 100.0);
    }
};

QTEST_APPLESS_MAIN(TestWatchedPlaces)
#include "test_watched_places.moc"
