// The worker that prepares the graphics driver and the player ahead of the
// first picture.

#include "media/cmovie.h"
#include "media/engine_preload.h"
#include "test_media.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <clocale>
#include <thread>

class TestEngineLoading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { CMovie::setAudioOutput("null"); }

    // What runs after the driver runs on the worker, once, and the worker is
    // done when its owner goes.
    void preloadRunsItsFollowUpOnceOnTheWorker()
    {
        std::atomic<int> runs{0};
        std::thread::id ranOn;
        {
            EnginePreload preload;
            preload.start([&] {
                ranOn = std::this_thread::get_id();
                ++runs;
            });
            preload.start([&] { ++runs; });
        }
        QCOMPARE(runs.load(), 1);
        QVERIFY(ranOn != std::this_thread::get_id());
    }

    // The way start-up does it: the player starts on the worker while the
    // window is built, and the first open plays with it.
    void playerStartedOnTheWorkerPlays()
    {
        CMovie movie;
        EnginePreload preload;
        preload.start(movie.playerStarter());
        QWidget screen;
        screen.resize(320, 240);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QSignalSpy frames(&movie, &CMovie::frameShown);
        QCOMPARE(test_media::openAndWait(movie, test_media::clip("clip.avi"), &screen),
                 qint16(300));
        QTRY_VERIFY(frames.count() > 2);
        movie.MediaClose();
    }
};

int main(int argc, char *argv[])
{
    // The worker asks about OpenGL, which needs the GUI application.
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    TestEngineLoading test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_engine_loading.moc"
