// Always on top, small mode and full screen under a real window manager
// (openbox), switched with real key events: the window manager does what is
// asked, the picture keeps coming and the window comes back where it was.

#include "display/display_modes.h"
#include "media/cmovie.h"
#include "player_fixture.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#ifdef SAZANAMI_HAVE_XTEST
#include "x_input.h"
#endif

namespace
{

double positionOf(CMovie &movie)
{
    double position = -1;
    movie.currentPosition(&position);
    return position;
}

// A property of the window as the X server has it, through xprop.
QString propertyOf(const QWidget &window, const char *name)
{
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window.winId()), name});
    xprop.waitForFinished(5000);
    return QString::fromLocal8Bit(xprop.readAllStandardOutput());
}

} // namespace

class TestModesUnderWindowManager : public QObject
{
    Q_OBJECT

#ifdef SAZANAMI_HAVE_XTEST
    XInput input_;

    void press(std::initializer_list<KeySym> keys)
    {
        input_.chord(keys);
    }

    // Where the X server has the window's client area.
    QPoint placedAt(const QWidget &window) const
    {
        int x = 0;
        int y = 0;
        Window child = 0;
        Display *display = input_.display();
        XTranslateCoordinates(display, Window(window.winId()), DefaultRootWindow(display), 0, 0, &x,
                              &y, &child);
        return {x, y};
    }

    // The picture keeps coming and the movie goes on playing.
    static void framesKeepComing(CMovie &movie, const char *after)
    {
        QSignalSpy frames(&movie, &CMovie::frameShown);
        const double before = positionOf(movie);
        QTRY_VERIFY2(frames.count() > 5, after);
        QTRY_VERIFY2(positionOf(movie) > before + 0.2, after);
    }
#endif

private slots:
    void initTestCase()
    {
#ifndef SAZANAMI_HAVE_XTEST
        QSKIP("needs XTest");
#else
        if (QStandardPaths::findExecutable("xprop").isEmpty())
            QSKIP("needs xprop");
        if (const QString missing = input_.start(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        prepareMediaTests();
#endif
    }

#ifdef SAZANAMI_HAVE_XTEST
    void modesKeepThePictureAndThePlace()
    {
        const QString clip = test_media::clip("play60.avi");
        PlayerFixture fixture({clip});
        Player &player = fixture.player();
        MainWindow &window = player.window();
        CMovie &movie = player.movie();
        DisplayModes &modes = player.displayModes();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Kept on top from the first run on.
        QTRY_VERIFY(propertyOf(window, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
        window.activateWindow();
        QTRY_VERIFY(window.isActiveWindow());
        window.display()->setFocus();
        window.move(60, 50);
        // The window manager has carried the move out.
        QTRY_COMPARE(window.frameGeometry().topLeft(), QPoint(60, 50));
        QTRY_COMPARE(placedAt(window), window.geometry().topLeft());
        const QRect normal = window.geometry();

        // A message box is not hidden behind a window kept on top: the
        // window steps down while it is open.
        bool aboveWhileOpen = true;
        QMessageBox box(QMessageBox::Information, "Sazanami", "?", QMessageBox::Ok, &window);
        QTimer poll;
        connect(&poll, &QTimer::timeout, &box, [&] {
            aboveWhileOpen = propertyOf(window, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE");
            if (!aboveWhileOpen)
                box.accept();
        });
        poll.start(50);
        QTimer::singleShot(5000, &box, &QMessageBox::accept);
        box.exec();
        poll.stop();
        QVERIFY(!aboveWhileOpen);
        QTRY_VERIFY(propertyOf(window, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));

        press({XK_Control_L, XK_t});
        QTRY_VERIFY(!propertyOf(window, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
        framesKeepComing(movie, "not on top");
        press({XK_Control_L, XK_t});
        QTRY_VERIFY(propertyOf(window, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
        framesKeepComing(movie, "on top");

        // Small mode: the window manager takes the frame away.
        press({XK_Control_L, XK_m});
        QTRY_VERIFY(modes.smallMode());
        QTRY_VERIFY(propertyOf(window, "_NET_FRAME_EXTENTS").contains("= 0, 0, 0, 0"));
        framesKeepComing(movie, "small mode");
        press({XK_Control_L, XK_m});
        QTRY_VERIFY(!modes.smallMode());
        QTRY_VERIFY(!propertyOf(window, "_NET_FRAME_EXTENTS").contains("= 0, 0, 0, 0"));
        QTRY_COMPARE(window.geometry(), normal);
        framesKeepComing(movie, "small mode left");

        press({XK_Alt_L, XK_Return});
        QTRY_VERIFY(modes.fullScreen());
        QTRY_COMPARE(window.geometry(), window.screen()->geometry());
        QTRY_VERIFY(propertyOf(window, "_NET_WM_STATE").contains("_NET_WM_STATE_FULLSCREEN"));
        framesKeepComing(movie, "full screen");
        press({XK_Escape});
        QTRY_VERIFY(!modes.fullScreen());
        QTRY_COMPARE(window.geometry(), normal);
        framesKeepComing(movie, "full screen left");
        QVERIFY(waitForOpen(player));
        QCOMPARE(movie.filename(), clip);
    }

    // Closed on a second screen that is gone at the next start: the window
    // comes onto this screen with its title bar, and full screen covers the
    // screen without a frame.
    void windowFromAGoneScreenKeepsItsFrameOnScreen()
    {
        QTemporaryDir folder;
        QFile config(folder.filePath("config.ini"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[Position]\r\nLeft=60000\r\nTop=1500\r\nWidth=9000\r\nHeight=7500\r\n"
                     "[other]\r\nListVisible=1\r\n");
        config.close();
        auto fixture = PlayerFixture::start(
            {folder.path() + "/", {test_media::clip("play60.avi")}, folder.path()});
        Player &player = fixture->player();
        MainWindow &window = player.window();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect screen = window.screen()->availableGeometry();
        QTRY_VERIFY(window.frameGeometry().top() < window.geometry().top());
        QTRY_VERIFY2(screen.contains(window.frameGeometry().topLeft()),
                     qPrintable(QString("frame at %1,%2")
                                    .arg(window.frameGeometry().left())
                                    .arg(window.frameGeometry().top())));
        window.activateWindow();
        QTRY_VERIFY(window.isActiveWindow());
        window.display()->setFocus();
        const QRect normal = window.geometry();

        press({XK_Alt_L, XK_Return});
        QTRY_VERIFY(player.displayModes().fullScreen());
        QTRY_COMPARE(window.geometry(), window.screen()->geometry());
        QTRY_VERIFY(propertyOf(window, "_NET_WM_STATE").contains("_NET_WM_STATE_FULLSCREEN"));
        press({XK_Escape});
        QTRY_VERIFY(!player.displayModes().fullScreen());
        QTRY_COMPARE(window.geometry(), normal);
    }
#endif
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestModesUnderWindowManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_modes_under_window_manager.moc"
