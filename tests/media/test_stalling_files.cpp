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

#include <QFrame>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef SAZANAMI_HAVE_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#endif

namespace
{

// Upper bound for an open that gets no data: the session's time-out and then
// some.
constexpr qint64 kOpenBoundMs = 8000;

// Counts the ticks of a timer on the GUI thread while the movie opens, and
// whether the pointer was busy at any of them.
struct Ticker {
    QTimer timer;
    int ticksWhileOpening = 0;
    bool sawBusyCursor = false;

    explicit Ticker(const CMovie &movie)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, &movie] {
            ticksWhileOpening += movie.isOpening() ? 1 : 0;
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
        for (const char *name : {"noaudio.avi", "long3.avi", "clip.avi"})
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
        Ticker ticker(player.movie());
        QSignalSpy failed(&player.openAndPlay(), &OpenAndPlay::openFailed);

        player.openAndPlay().play_file(hung_->path("long3.avi"), 0);
        // The request returns at once; the result comes later.
        QVERIFY(player.movie().isOpening());
        QVERIFY(failed.wait(kOpenBoundMs));
        QCOMPARE(player.openAndPlay().lastOpenResult(), 0);
        QCOMPARE(player.movie().filename(), QString());
        QVERIFY(ticker.ticksWhileOpening > 0);
        QVERIFY(ticker.sawBusyCursor);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

        // A working file plays after the dead one.
        player.openAndPlay().play_file(test_media::clip("clip.avi"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(player.openAndPlay().lastOpenResult(), 300, 5000);

        // Closing saves and ends while the dead file's read still waits.
        QVERIFY(hung_->readsWaiting() > 0);
        player.window().close();
        QVERIFY(QFile::exists(fixture.programFolder() + "config.ini"));
        QVERIFY(!player.window().isVisible());
        QVERIFY(hung_->readsWaiting() > 0);
    }

    // Closing while the dead file opens cancels the open and shuts down at
    // once.
    void closingDuringAHungOpen()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        const QString config = fixture.programFolder() + "config.ini";
        const int readsBefore = hung_->readsBegun();
        player.openAndPlay().play_file(hung_->path("noaudio.avi"), 0);
        QTRY_VERIFY(hung_->readsBegun() > readsBefore);
        QVERIFY(player.movie().isOpening());
        player.m_exit_Click();
        QVERIFY(QFile::exists(config));
        QVERIFY(!player.window().isVisible());
        QVERIFY(!player.movie().isOpening());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    // The last movie asked for while a slow one opens is the one that plays.
    void laterRequestsReplaceASlowOpen()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        CMovie &movie = player.movie();
        Ticker ticker(movie);
        QSignalSpy frames(&movie, &CMovie::frameShown);
        QSignalSpy opened(&player.openAndPlay(), &OpenAndPlay::movieOpened);
        const QString next = test_media::clip("clip.wmv");
        const int readsBefore = slow_->readsBegun();
        player.openAndPlay().play_file(slow_->path("noaudio.avi"), 0);
        QTRY_VERIFY(slow_->readsBegun() > readsBefore);
        player.openAndPlay().play_file(test_media::clip("clip.mov"), 0);
        player.openAndPlay().play_file(next, 0);

        QTRY_COMPARE_WITH_TIMEOUT(movie.filename(), next, 5000);
        QCOMPARE(player.window().windowTitle(), QString("clip"));
        QCOMPARE(player.openAndPlay().lastOpenResult(), 300);
        QCOMPARE(opened.count(), 1);
        QVERIFY(ticker.ticksWhileOpening > 0);
        QTRY_VERIFY(!frames.isEmpty());
        // The slow file's reads answered after all: they change nothing.
        QTRY_COMPARE_WITH_TIMEOUT(slow_->readsWaiting(), 0, 5000);
        QCOMPARE(movie.filename(), next);
    }

#ifdef SAZANAMI_HAVE_XTEST
    // A key typed on the keyboard while a movie hangs in its open acts at
    // once: F4 shows the folder box, then the next movie is asked for and
    // plays.
    void keysActWhileAnOpenHangs()
    {
        Display *x = XOpenDisplay(nullptr);
        int event = 0, error = 0, major = 0, minor = 0;
        if (!x || !XTestQueryExtension(x, &event, &error, &major, &minor))
            QSKIP("needs the XTEST extension");
        const auto closeDisplay = qScopeGuard([x] { XCloseDisplay(x); });
        PlayerFixture fixture;
        Player &player = fixture.player();
        player.window().activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), player.window().windowHandle());
        QWidget *directory = player.window().directory();
        const bool shown = directory->isVisible();

        // A file of its own: a read of a page whose read an earlier test left
        // waiting would wait in the kernel, unseen by the file system.
        const int readsBefore = hung_->readsBegun();
        player.openAndPlay().play_file(hung_->path("clip.avi"), 0);
        QTRY_VERIFY(hung_->readsBegun() > readsBefore);
        const KeyCode f4 = XKeysymToKeycode(x, XK_F4);
        XTestFakeKeyEvent(x, f4, True, CurrentTime);
        XTestFakeKeyEvent(x, f4, False, CurrentTime);
        XFlush(x);
        QTRY_COMPARE_WITH_TIMEOUT(directory->isVisible(), !shown, 1000);
        QVERIFY(player.movie().isOpening());

        player.openAndPlay().play_file(test_media::clip("clip.avi"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(player.movie().filename(), test_media::clip("clip.avi"), 5000);
    }
#endif
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestStallingFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_stalling_files.moc"
