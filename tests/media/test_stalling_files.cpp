// Movies on a file system whose reads are slow or never return: the window
// keeps running while they open, an open that gets no data gives up in time,
// and the program can be closed meanwhile.

#include "app/player.h"
#include "media/cmovie.h"
#include "playback/open_and_play.h"
#include "player_fixture.h"
#include "stalling_mount.h"
#include "test_media.h"
#include "window/main_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{

// Upper bound for an open that gets no data: the session's time-out and then
// some.
constexpr qint64 kOpenBoundMs = 8000;

// Counts the ticks of a timer on the GUI thread and whether the pointer was
// busy at any of them.
struct Ticker {
    QTimer timer;
    int ticks = 0;
    bool sawBusyCursor = false;

    Ticker()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            ++ticks;
            const QCursor *cursor = QGuiApplication::overrideCursor();
            sawBusyCursor = sawBusyCursor || (cursor && cursor->shape() == Qt::BusyCursor);
        });
        timer.start(50);
    }
};

} // namespace

class TestStallingFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<StallingMount> slow_;
    std::unique_ptr<StallingMount> hung_;

private slots:
    void initTestCase()
    {
        prepareMediaTests();
        if (!fuseUsable())
            QSKIP("FUSE is not usable here (/dev/fuse, fusermount3 or python3-fusepy missing)");
        const QString source = dir_.filePath("source");
        QDir().mkpath(source);
        for (const char *name : {"noaudio.avi", "long3.avi"})
            QVERIFY(QFile::copy(test_media::clip(name), source + "/" + name));
        slow_ = std::make_unique<StallingMount>("slow", source, dir_.filePath("slow"));
        hung_ = std::make_unique<StallingMount>("hung", source, dir_.filePath("hung"));
        QVERIFY(slow_->waitMounted());
        QVERIFY(hung_->waitMounted());
    }

    void cleanupTestCase()
    {
        hung_.reset();
        slow_.reset();
    }

    void hungFileFailsInTimeAndTheProgramStillCloses()
    {
        PlayerFixture fixture;
        QVERIFY(fixture.started());
        Player &player = fixture.player();
        Ticker ticker;

        QElapsedTimer elapsed;
        elapsed.start();
        player.openAndPlay().play_file(hung_->path("long3.avi"), 0);
        QVERIFY2(elapsed.elapsed() < kOpenBoundMs, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(player.openAndPlay().lastOpenResult(), 0);
        QCOMPARE(player.movie().filename, QString());
        QVERIFY2(ticker.ticks > 20, qPrintable(QString::number(ticker.ticks)));
        QVERIFY(ticker.sawBusyCursor);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

        // A working file plays after the dead one.
        player.openAndPlay().play_file(test_media::clip("clip.avi"), 0);
        QCOMPARE(player.openAndPlay().lastOpenResult(), 300);

        elapsed.restart();
        player.window().close();
        QVERIFY(QFile::exists(fixture.programFolder() + "config.ini"));
        QVERIFY(elapsed.elapsed() < 3000);
    }

    // Closing while the dead file opens aborts the open; shut-down runs right
    // after it, not inside it.
    void closingDuringAHungOpen()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        const QString config = fixture.programFolder() + "config.ini";
        bool configDuringOpen = true;
        QTimer::singleShot(1000, &player, [&] {
            player.m_exit_Click();
            configDuringOpen = QFile::exists(config);
        });
        QElapsedTimer elapsed;
        elapsed.start();
        player.openAndPlay().play_file(hung_->path("noaudio.avi"), 0);
        QVERIFY2(elapsed.elapsed() < 4000, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(player.openAndPlay().lastOpenResult(), 0);
        QVERIFY(!configDuringOpen);
        QTRY_VERIFY(QFile::exists(config));
        QVERIFY(!player.window().isVisible());
    }

    // A second movie asked for while one opens is played after it, never
    // inside it; a direct second open is refused.
    void slowFileOpensWhileTheWindowRuns()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        Ticker ticker;
        QSignalSpy frames(&movie, &CMovie::frameShown);
        const QString slow = slow_->path("noaudio.avi");
        const QString next = test_media::clip("clip.wmv");
        qint16 nestedOpen = -2;
        QTimer::singleShot(300, &movie, [&] {
            player.openAndPlay().play_file(test_media::clip("clip.mov"), 0);
            player.openAndPlay().play_file(next, 0);
            nestedOpen = movie.MediaOpen(test_media::clip("clip.avi"), "", nullptr, 0);
        });

        player.openAndPlay().play_file(slow, 0);
        QCOMPARE(player.openAndPlay().lastOpenResult(), 300);
        QCOMPARE(movie.filename, slow);
        QCOMPARE(player.window().windowTitle(), QString("noaudio"));
        QCOMPARE(nestedOpen, qint16(0));
        QVERIFY2(ticker.ticks > 10, qPrintable(QString::number(ticker.ticks)));
        QVERIFY(!frames.isEmpty());

        // Then the last movie asked for meanwhile.
        QTRY_COMPARE(movie.filename, next);
        QCOMPARE(player.window().windowTitle(), QString("clip"));
        QCOMPARE(player.openAndPlay().lastOpenResult(), 300);
        QTest::qWait(300);
        QCOMPARE(movie.filename, next);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestStallingFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_stalling_files.moc"
