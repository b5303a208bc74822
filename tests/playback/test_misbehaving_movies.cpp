// Continuous play through a folder where a misbehaving movie sits between two
// good ones: the program neither crashes nor stops, the window keeps running,
// the movie after the bad one plays, and a thumbnail of the bad one ends
// quietly without reading it through.  Neither the player nor the grab goes
// on the network because of what a file holds.

#include "base/thumbnail_rules.h"
#include "favourites/favourites_list.h"
#include "favourites/thumbnail_grabs.h"
#include "library/file_browser.h"
#include "local_listener.h"
#include "media/cmovie.h"
#include "panels/list_selection.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"
#include "player_fixture.h"
#include "test_files.h"
#include "test_media.h"
#include "window/main_window.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace
{

// What happens to the bad movie once it has started playing.
enum class WhilePlaying { Nothing, Shrink, Delete };
// What becomes of the bad movie when its turn comes.
enum class Outcome { Opens, OpensWithWrongLength, Fails };
// The sound output: mpv's null output, or a sound server that is not there.
enum class Sound { Null, NoServer };

// The real length of the movies whose headers lie.
constexpr double kLiarRealLength = 3.0;

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

// Playlists under a movie's name that send a player to the web address of
// `web`: a plain one and one of HTTP live streaming.
QByteArray playlistFor(const QString &kind, const LocalListener &web)
{
    if (kind == "m3u")
        return "#EXTM3U\n#EXTINF:10,movie\n" + web.url("movie.mp4").toUtf8() + "\n";
    return "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:10,\n" +
           web.url("segment0.ts").toUtf8() + "\n#EXT-X-ENDLIST\n";
}

// The bad movie `name` made from `clip` (a playlist for "m3u" and "hls"), or
// left empty and given `size`.
bool makeBadMovie(const QString &path, const QString &clip, qint64 size,
                  const LocalListener *web = nullptr)
{
    if (web && (clip == "m3u" || clip == "hls"))
        return test_files::writeFile(path, playlistFor(clip, *web));
    if (!clip.isEmpty())
        return QFile::copy(test_media::clip(clip), path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

// Looks at the player at every pass of the event loop: how many passes came
// while a movie was being opened, and how far `path` got while it played.
struct PlayerWatch {
    QTimer timer;
    int ticksWhileOpening = 0;
    double furthest = 0;

    PlayerWatch(const CMovie &movie, const QString &path)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, &movie, path] {
            ticksWhileOpening += movie.isOpening() ? 1 : 0;
            double position = 0;
            if (movie.filename() == path && movie.currentPosition(&position))
                furthest = std::max(furthest, position);
        });
        timer.start(0);
    }
};

} // namespace

Q_DECLARE_METATYPE(WhilePlaying)
Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(Sound)

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
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<Sound>("sound");

        const auto row = [](const char *title, const QString &name, const QString &clip,
                            WhilePlaying whilePlaying, Outcome outcome, qint64 size = 0,
                            Sound sound = Sound::Null) {
            QTest::newRow(title) << name << clip << size << whilePlaying << outcome << sound;
        };
        const WhilePlaying nothing = WhilePlaying::Nothing;
        row("shrinks while playing", "b.avi", "play60.avi", WhilePlaying::Shrink, Outcome::Opens);
        row("deleted while playing", "b.avi", "noaudio.avi", WhilePlaying::Delete, Outcome::Opens);
        row("header claims 1000 s", "b.avi", "longheader.avi", nothing,
            Outcome::OpensWithWrongLength);
        row("header claims 0.4 s", "b.avi", "shortheader.avi", nothing,
            Outcome::OpensWithWrongLength);
        row("4K then 16x16 pictures", "b.mpg", "resize.mpg", nothing, Outcome::Opens);
        row("0 bytes", "b.avi", QString(), nothing, Outcome::Fails);
        row("2 GB of nothing", "b.avi", QString(), nothing, Outcome::Fails, kSparseSize);
        // Filmed upright on a phone: the pictures are stored on their side.
        row("turned a quarter", "b.mov", "rotated.mov", nothing, Outcome::Opens);
        // Without a sound server the movies with pictures play silently; one
        // of sound only has nothing to play.
        row("sound only, no sound output", "b.wmv", "audioonly.wmv", nothing, Outcome::Fails, 0,
            Sound::NoServer);
        row("playlist of a web address", "b.avi", "m3u", nothing, Outcome::Fails);
        row("live-stream playlist", "b.avi", "hls", nothing, Outcome::Fails);
    }

    void continuousPlayGoesOnPastIt()
    {
        QFETCH(QString, name);
        QFETCH(QString, clip);
        QFETCH(qint64, size);
        QFETCH(WhilePlaying, whilePlaying);
        QFETCH(Outcome, outcome);
        QFETCH(Sound, sound);

        LocalListener web;
        QVERIFY(web.listening());
        QTemporaryDir folder;
        const QString first = folder.filePath("a.avi");
        const QString bad = folder.filePath(name);
        const QString last = folder.filePath("c.avi");
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), first));
        QVERIFY(QFile::copy(test_media::clip("clip.avi"), last));
        QVERIFY(makeBadMovie(bad, clip, size, &web));
        if (sound == Sound::NoServer) {
            qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(folder.filePath("no-server")));
            CMovie::setAudioOutput("pulse");
        }
        const auto soundBack = qScopeGuard([] {
            qunsetenv("PULSE_SERVER");
            CMovie::setAudioOutput("null");
        });

        PlayerFixture fixture({}, folder.path());
        QVERIFY(fixture.started());
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        QCOMPARE(player.fileBrowser().fileList()->count(), 3);
        player.playMode().mode_Click(PlayMode::Continuous);

        // Asked for by the sequence, or gone on to after it was prepared.
        QStringList asked;
        const auto ask = [&](const QString &path) { asked.append(QFileInfo(path).fileName()); };
        connect(&player.sequencer(), &PlaySequencer::playWanted, this, ask);
        connect(&movie, &CMovie::advanced, this, ask);
        QStringList opened;
        double badLength = 0;
        // The other program acts once the bad movie has started.
        connect(&player.openAndPlay(), &OpenAndPlay::movieOpened, this, [&](const QString &path) {
            opened.append(QFileInfo(path).fileName());
            if (opened.last() != name)
                return;
            movie.duration(&badLength);
            if (whilePlaying == WhilePlaying::Shrink)
                QFile(bad).resize(QFileInfo(bad).size() / 50);
            else if (whilePlaying == WhilePlaying::Delete)
                QFile::remove(bad);
        });
        QSignalSpy frames(&movie, &CMovie::frameShown);
        PlayerWatch watch(movie, bad);

        // The first movie near its end, so that the bad one comes soon.
        list_selection::moveCurrent(player.fileBrowser().fileList(), 0);
        QVERIFY(playAndWait(player, first, 2.5));
        QCOMPARE(movie.filename(), first);

        QTRY_COMPARE_WITH_TIMEOUT(movie.filename(), last, 30000);
        QCOMPARE(asked.join(" "), name + " c.avi");
        QCOMPARE(opened.join(" "),
                 outcome == Outcome::Fails ? "a.avi c.avi" : "a.avi " + name + " c.avi");
        // The lie reached the player, which read a wrong length and still
        // played all the movie holds.
        if (outcome == Outcome::OpensWithWrongLength) {
            QVERIFY2(qAbs(badLength - kLiarRealLength) > 0.5,
                     qPrintable(QString::number(badLength)));
            QVERIFY2(watch.furthest > kLiarRealLength - 0.5,
                     qPrintable(QString::number(watch.furthest)));
        }
        // The window's event loop went on while the bad movie opened; how
        // long it may stall is measured in bench/ (input_during_open).
        QVERIFY(watch.ticksWhileOpening > 0);
        // The movie after it plays on.
        frames.clear();
        QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 3, 10000);
        double position = 0;
        QVERIFY(waitForOpen(player));
        QTRY_VERIFY(movie.currentPosition(&position) && position > 0.3);
        QCOMPARE(int(movie.playState()), 1);
        QCOMPARE(player.fileBrowser().fileList()->currentRow(), 2);
        QCOMPARE(web.connections(), 0);

        // A thumbnail of what is left of the bad movie ends quietly (only
        // some kinds of movie get one).
        if (!QFileInfo::exists(bad) || !thumbnail_rules::is_grabbable_file(name))
            return;
        const qint64 before = bytesRead();
        QSignalSpy grabbed(&player.favourites().grabs(), &ThumbnailGrabs::finished);
        QVERIFY(player.favourites().addPath(bad));
        QTRY_COMPARE_WITH_TIMEOUT(grabbed.size(), 1, 20000);
        QCOMPARE(player.favourites().grabs().pending(), 0);
        const qint64 read = bytesRead() - before;
        QVERIFY2(read < kMostBytesReadByAGrab, qPrintable(QString::number(read)));
        qInfo("the thumbnail grab read %lld bytes", read);
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), last);
        QCOMPARE(web.connections(), 0);
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
        QCOMPARE(player.movie().filename(), QString());
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
