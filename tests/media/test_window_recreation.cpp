// The picture goes on while the window around it changes: window flags and
// full screen, which on some platforms make the native window anew, and the
// video area moved into a window of its own and back, which always gives the
// picture a new OpenGL context.  CTest runs this once per way of drawing
// (EGL, GLX, software).

#include "media/cmovie.h"
#include "player_fixture.h"
#include "test_media.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <functional>

namespace
{

double position(const CMovie &movie)
{
    double seconds = -1;
    return movie.currentPosition(&seconds) ? seconds : -1;
}

} // namespace

class TestWindowRecreation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareMediaTests(); }

    void pictureAndPositionSurviveWindowChanges()
    {
        const QString clip = test_media::clip("play60.avi");
        PlayerFixture fixture({clip});
        QVERIFY(fixture.started());
        MainWindow &window = fixture.player().window();
        CMovie &movie = fixture.player().movie();
        QCOMPARE(movie.filename(), clip);
        const bool wantGl = qgetenv("QT_XCB_GL_INTEGRATION") != "none";
        QCOMPARE(test_media::drawsWithOpenGL(window.display()), wantGl);

        QWidget *display = window.display();
        QWidget *displayParent = display->parentWidget();
        QSignalSpy frames(&movie, &CMovie::frameShown);
        const std::pair<const char *, std::function<void()>> changes[] = {
            {"stay on top", [&] { window.setWindowFlag(Qt::WindowStaysOnTopHint, true); }},
            {"frameless", [&] { window.setWindowFlag(Qt::FramelessWindowHint, true); }},
            {"full screen", [&] { window.showFullScreen(); }},
            {"back to normal", [&] { window.showNormal(); }},
            // Full screen in a window of its own, as some full-screen paths
            // take: a new top-level window, a new OpenGL context.
            {"video area in a window of its own",
             [&] {
                 display->setParent(nullptr);
                 display->showFullScreen();
             }},
            {"video area back",
             [&] {
                 display->setParent(displayParent);
                 display->show();
                 window.layout_window();
             }},
            {"framed", [&] { window.setWindowFlag(Qt::FramelessWindowHint, false); }},
            {"not on top", [&] { window.setWindowFlag(Qt::WindowStaysOnTopHint, false); }},
        };
        for (const auto &[name, change] : changes) {
            QTRY_VERIFY2(position(movie) > 0, name);
            const double before = position(movie);
            change();
            // Changing flags hides the window, as in the program.
            window.show();
            QVERIFY2(QTest::qWaitForWindowExposed(&window), name);
            frames.clear();
            QTRY_VERIFY2(frames.count() > 5, name);
            QTRY_VERIFY2(position(movie) > before + 0.2, name);
            QVERIFY2(movie.isOpen(), name);
        }
        QCOMPARE(movie.filename(), clip);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestWindowRecreation test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_recreation.moc"
