// seek_preview_sweep [RUNS]
//
// The real main window (a private program folder) plays a 2-minute 1280x720
// H.264 movie (a key frame every 10 s, so each picture takes decoding) and
// the pointer sweeps across the seek bar and back, one move every 8 ms, with
// the picture over the bar on.  Prints one JSON object per run:
//   moves          pointer moves over the bar
//   stall_ms       the longest time the event loop did not run, from the
//                  first move until the picture of the last place shows
//   move_ms_max    the longest a single move took to handle
//   last_picture_ms from the last move until its picture shows
//   cached         pictures kept for the movie at the end
// PREVIEW=0 runs the same sweep with the picture off, for comparison;
// SWEEP_TRACE=1 tells each move that took over 10 ms; SWEEP_SHOT=file.png
// keeps a screenshot taken at the end.  Needs an X server and
// ffmpeg.

#include "app/player.h"
#include "app/seek_preview.h"
#include "base/settings.h"
#include "media/cmovie.h"
#include "media/preview_frames.h"
#include "player_fixture.h"
#include "stall_meter.h"
#include "window/main_window.h"
#include "window/seek_bar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace
{

bool makeMovie(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                            "testsrc2=size=1280x720:rate=25:duration=120", "-c:v", "libx264",
                            "-preset", "ultrafast", "-g", "250", "-pix_fmt", "yuv420p", path});
    return ffmpeg.waitForFinished(300000) && ffmpeg.exitCode() == 0;
}

void run(const QString &movie)
{
    PlayerFixture fixture;
    Player &player = fixture.player();
    if (!playAndWait(player, movie)) {
        std::printf("{\"error\": \"movie did not open\"}\n");
        return;
    }
    player.movie().MediaPlay(PlayCommand::Pause);
    // PREVIEW=0: the same sweep with the picture off, for comparison.
    player.settings().set(Settings::SeekPreview, qEnvironmentVariable("PREVIEW") != "0");
    QTest::qWait(500);
    SeekBar *bar = player.window().seekBar();
    QWidget *popup = player.seekPreview().popup();
    const PreviewFrames &frames = player.seekPreview().frames();

    StallMeter meter;
    QElapsedTimer clock;
    double moveMax = 0;
    int moves = 0;
    const int y = bar->height() / 2;
    const auto moveTo = [&](int x) {
        QElapsedTimer one;
        one.start();
        QTest::mouseMove(bar, QPoint(x, y));
        moveMax = std::max(moveMax, one.nsecsElapsed() / 1e6);
        if (qEnvironmentVariableIsSet("SWEEP_TRACE") && one.nsecsElapsed() > 10000000)
            std::fprintf(stderr, "move %d took %.1f ms\n", moves, one.nsecsElapsed() / 1e6);
        ++moves;
        QTest::qWait(8);
    };
    for (int x = 0; x < bar->width(); x += 3)
        moveTo(x);
    for (int x = bar->width() - 1; x >= bar->width() / 3; x -= 3)
        moveTo(x);
    clock.start();
    // The picture of the last place.
    QElapsedTimer limit;
    limit.start();
    while (!player.seekPreview().pictureShown() && limit.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double lastPicture =
        player.seekPreview().pictureShown() ? clock.nsecsElapsed() / 1e6 : -1;
    QTest::qWait(50);
    // SWEEP_SHOT=file.png keeps the screen as it is now, picture and all.
    if (const QString shot = qEnvironmentVariable("SWEEP_SHOT"); !shot.isEmpty())
        bar->screen()->grabWindow(0).save(shot);
    std::printf("{\"moves\": %d, \"stall_ms\": %.1f, \"move_ms_max\": %.1f, "
                "\"last_picture_ms\": %.1f, \"cached\": %d, \"popup_shown\": %s}\n",
                moves, meter.longest(), moveMax, lastPicture, frames.cached(),
                popup->isVisible() ? "true" : "false");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString movie = dir.path() + "/sweep.mkv";
    if (!makeMovie(movie)) {
        std::fprintf(stderr, "ffmpeg could not make the movie\n");
        return 1;
    }
    for (int i = 0; i < runs; ++i)
        run(movie);
    return 0;
}
