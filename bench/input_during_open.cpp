// input_during_open [RUNS]
//
// The real main window (a private program folder) opens a movie from a FUSE
// mount whose reads never return, like a share whose server went away.  Half
// a second into that open, keys are typed on the X server through XTest, as
// a keyboard would: F4 (the folder box) twice, then the key of the next
// movie, which plays a working clip from the file page.  Prints one JSON
// object per run:
//   f4_ms         key press to the folder box shown or hidden, each F4
//   next_ms       key press to the next movie asked for (the open replaced)
//   next_play_ms  key press to the next movie playing
//   stall_ms      the longest time the event loop did not run, from the open
//                 of the dead file to the next movie playing
// Needs an X server with XTEST, /dev/fuse, fusermount3 and python3-fusepy.

#include "app/player.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "playback/open_and_play.h"
#include "stall_meter.h"
#include "stalling_mount.h"
#include "test_media.h"
#include "window/main_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cstdio>
#include <functional>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace
{

// Milliseconds until done() holds, checked on every pass of the event loop;
// -1 after ten seconds.
double msUntil(const QElapsedTimer &since, const std::function<bool()> &done)
{
    QElapsedTimer limit;
    limit.start();
    while (!done()) {
        if (limit.elapsed() > 10000)
            return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return since.nsecsElapsed() / 1e6;
}

void press(Display *x, KeySym key)
{
    const KeyCode code = XKeysymToKeycode(x, key);
    XTestFakeKeyEvent(x, code, True, CurrentTime);
    XTestFakeKeyEvent(x, code, False, CurrentTime);
    XFlush(x);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    CMovie::setAudioOutput("null");
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    Display *x = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!x || !XTestQueryExtension(x, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "needs an X server with XTEST\n");
        return 2;
    }
    if (!fuseUsable()) {
        std::fprintf(stderr, "needs /dev/fuse, fusermount3 and python3-fusepy\n");
        return 2;
    }
    QTemporaryDir work;
    const QString source = work.filePath("source");
    const QString folder = work.filePath("movies");
    QDir().mkpath(source);
    QDir().mkpath(folder);
    QFile::copy(test_media::clip("long3.avi"), source + "/dead.avi");
    for (const char *name : {"1.avi", "2.avi"})
        QFile::copy(test_media::clip("clip.avi"), folder + "/" + name);
    StallingMount hung("hung", source, work.filePath("hung"));
    if (!hung.waitMounted()) {
        std::fprintf(stderr, "the FUSE mount did not come up\n");
        return 1;
    }

    QTemporaryDir program;
    Player player;
    StartupOptions options;
    options.currentDir = folder;
    options.programFolder = program.path();
    if (!player.Form_Load(options))
        return 1;
    while (player.isStarting())
        QTest::qWait(10);
    player.window().activateWindow();
    QElapsedTimer focus;
    focus.start();
    while (QGuiApplication::focusWindow() != player.window().windowHandle() &&
           focus.elapsed() < 5000)
        QTest::qWait(10);
    player.listPanel().selectTab(ListPanel::FilePage);
    // S is the key of the next movie by default.
    const KeySym nextKey = XK_s;
    QWidget *directory = player.window().directory();
    CMovie &movie = player.movie();
    const QString next = folder + "/2.avi";

    for (int run = 0; run < runs; ++run) {
        list_selection::moveCurrent(player.fileBrowser().fileList(), 0);
        StallMeter stalls;
        player.openAndPlay().play_file(hung.path("dead.avi"), 0);
        QTest::qWait(500);

        double f4[2] = {0, 0};
        for (double &ms : f4) {
            const bool shown = directory->isVisible();
            QElapsedTimer clock;
            clock.start();
            press(x, XK_F4);
            ms = msUntil(clock, [&] { return directory->isVisible() != shown; });
        }
        QElapsedTimer clock;
        clock.start();
        press(x, nextKey);
        const double asked = msUntil(clock, [&] { return movie.openingPath() == next; });
        const double playing = msUntil(clock, [&] { return movie.filename() == next; });
        std::printf("{\"run\": %d, \"f4_ms\": [%.1f, %.1f], \"next_ms\": %.1f, "
                    "\"next_play_ms\": %.1f, \"stall_ms\": %.1f}\n",
                    run, f4[0], f4[1], asked, playing, stalls.longest());
        std::fflush(stdout);
        player.openAndPlay().play_selection(nullptr);
        movie.MediaClose();
        QTest::qWait(300);
    }
    XCloseDisplay(x);
    player.window().close();
    return 0;
}
