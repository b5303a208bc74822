// Continuous play through a folder where a misbehaving movie sits between two
// good ones: the program neither crashes nor stops, the window keeps running,
// the movie after the bad one plays, and a thumbnail of the bad one ends
// quietly without reading it through.

#include "favourites/favourites_list.h"
#include "favourites/thumbnail_grabs.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_selection.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"
#include "player_fixture.h"
#include "stall_meter.h"
#include "test_files.h"
#include "test_media.h"
#include "window/main_window.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{

// What happens to the bad movie once it has started playing.
enum class WhilePlaying { Nothing, Shrink, Delete };

constexpr qint64 kSparseSize = qint64(2) << 30;
// A thumbnail grab reads a few megabytes at most, never a whole large file.
constexpr qint64 kMostBytesReadByAGrab = qint64(64) << 20;

// Bytes this process has read so far, from the kernel's count.
qint64 bytesRead()
{
    const QList<QByteArray> lines = test_files::readFile("/proc/self/io").split('\n');
    for (const QByteArray &line : lines)
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// The bad movie `name` made from `clip`, or left empty and given `size`.
bool makeBadMovie(const QString &path, const QString &clip, qint64 size)
{
    if (!clip.isEmpty())
        return QFile::copy(test_media::clip(clip), path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

// Counts passes of the event loop made while a movie was being opened.
struct OpenWatch {
    QTimer timer;
    int ticksWhileOpening = 0;

    explicit OpenWatch(const CMovie &movie)
    {
        QObject::connect(&timer, &QTimer::timeout,
                         [this, &movie] { ticksWhileOpening += movie.isOpening() ? 1 : 0; });
        timer.start(0);
    }
};

} // namespace

Q_DECLARE_METATYPE(WhilePlaying)

class TestMisbehavingMovies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareMediaTests(); }

    void continuousPlayGoesOnPastIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<WhilePlaying>("whilePlaying");

        QTest::newRow("shrinks while playing") << "b.avi"
                                               << "play60.avi" << qint64(0) << WhilePlaying::Shrink;
        QTest::newRow("deleted while playing")
            << "b.avi"
            << "noaudio.avi" << qint64(0) << WhilePlaying::Delete;
        QTest::newRow("header claims 1000 s")
            << "b.avi"
            << "longheader.avi" << qint64(0) << WhilePlaying::Nothing;
        QTest::newRow("header claims 0.4 s")
            << "b.avi"
            << "shortheader.avi" << qint64(0) << WhilePlaying::Nothing;
        QTest::newRow("4K then 16x16 pictures")
            << "b.mpg"
            << "resize.mpg" << qint64(0) << WhilePlaying::Nothing;
        QTest::newRow("0 bytes") << "b.avi" << QString() << qint64(0) << WhilePlaying::Nothing;
        QTest::newRow("2 GB of nothing")
            << "b.avi" << QString() << kSparseSize << WhilePlaying::Nothing;
    }

    void continuousPlayGoesOnPastIt()
    {
        QFETCH(QString, name);
        QFETCH(QString, clip);
        QFETCH(qint64, size);
        QFETCH(WhilePlaying, whilePlaying);

        QTemporaryDir folder;
        const QString first = folder.filePath("a.avi");
        const QString bad = folder.filePath(name);
        const QString last = folder.filePath("c.avi");
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), first));
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), last));
        QVERIFY(makeBadMovie(bad, clip, size));

        PlayerFixture fixture({}, folder.path());
        QVERIFY(fixture.started());
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        QCOMPARE(player.fileBrowser().fileList()->count(), 3);
        player.playMode().mode_Click(PlayMode::Continuous);

        QStringList asked;
        connect(&player.sequencer(), &PlaySequencer::playWanted, this,
                [&](const QString &path) { asked.append(QFileInfo(path).fileName()); });
        // The other program acts once the bad movie has started.
        connect(&player.openAndPlay(), &OpenAndPlay::movieOpened, this, [&](const QString &path) {
            if (QFileInfo(path).fileName() != name)
                return;
            if (whilePlaying == WhilePlaying::Shrink)
                QFile(bad).resize(QFileInfo(bad).size() / 50);
            else if (whilePlaying == WhilePlaying::Delete)
                QFile::remove(bad);
        });
        QSignalSpy frames(&movie, &CMovie::frameShown);
        StallMeter stalls;
        OpenWatch watch(movie);

        // The first movie near its end, so that the bad one comes soon.
        list_selection::moveCurrent(player.fileBrowser().fileList(), 0);
        player.openAndPlay().play_file(first, 2.5);
        QCOMPARE(movie.filename, first);

        QTRY_COMPARE_WITH_TIMEOUT(movie.filename, last, 30000);
        QCOMPARE(asked.join(" "), QFileInfo(bad).fileName() + " c.avi");
        QVERIFY(watch.ticksWhileOpening > 0);
        // The movie after it plays on.
        frames.clear();
        QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 3, 10000);
        double position = 0;
        QTRY_VERIFY(movie.currentPosition(&position) && position > 0.3);
        QCOMPARE(movie.PlayState, 1);
        QCOMPARE(player.fileBrowser().fileList()->currentRow(), 2);
        qInfo("longest stall of the event loop: %.0f ms", stalls.longest());

        // A thumbnail of what is left of the bad movie ends quietly.
        if (!QFileInfo::exists(bad))
            return;
        const qint64 before = bytesRead();
        QSignalSpy grabbed(&player.favourites().grabs(), &ThumbnailGrabs::finished);
        QVERIFY(player.favourites().addPath(bad));
        QTRY_COMPARE_WITH_TIMEOUT(grabbed.size(), 1, 20000);
        QCOMPARE(player.favourites().grabs().pending(), 0);
        const qint64 read = bytesRead() - before;
        QVERIFY2(read < kMostBytesReadByAGrab, qPrintable(QString::number(read)));
        QCOMPARE(movie.filename, last);
    }

    // A list of nothing but broken movies is tried once round, then play
    // stops quietly instead of going round for ever.
    void aListOfBrokenMoviesEndsQuietly_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("continuous") << int(PlayMode::Continuous);
        QTest::newRow("random") << int(PlayMode::Random);
    }

    void aListOfBrokenMoviesEndsQuietly()
    {
        QFETCH(int, mode);
        QTemporaryDir folder;
        QVERIFY(makeBadMovie(folder.filePath("empty.avi"), QString(), 0));
        QVERIFY(makeBadMovie(folder.filePath("note.avi"), "notmovie.avi", 0));
        PlayerFixture fixture({}, folder.path());
        Player &player = fixture.player();
        player.playMode().mode_Click(mode);
        QSignalSpy asked(&player.sequencer(), &PlaySequencer::playWanted);
        QSignalSpy failed(&player.openAndPlay(), &OpenAndPlay::openFailed);

        player.sequencer().play_next();
        QTRY_COMPARE(failed.size(), 2);
        // Whatever was queued meanwhile has run: nothing more is tried.
        QTest::qWait(200);
        QCOMPARE(asked.size(), 2);
        QCOMPARE(failed.size(), 2);
        QCOMPARE(player.movie().filename, QString());
        QVERIFY(player.window().isVisible());
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestMisbehavingMovies test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_misbehaving_movies.moc"
