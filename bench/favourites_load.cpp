// favourites_load [RUNS] [COUNT] [FRESH]
//
// The favourites page with many entries, timed in process in the program's
// real main window (private program folders, a clip made with ffmpeg).
//
// 1. Start-up with COUNT (default 1,000) favourites whose thumbnails exist, the favourites
//    page shown: the time from Player::Form_Load to the first paint of the
//    filled list (the whole start-up, window and player included), and the
//    time load_okini alone takes to fill and paint the list again, with the
//    time to its first painted screen of entries and the longest event-loop
//    stall while the list fills.
// 2. FRESH (default 200) new favourites whose thumbnails must be grabbed: the longest time
//    the event loop did not run while the grabs were under way (what a user
//    would feel as the window not answering), the time load_okini itself took
//    to add them, and the grabs per second.
//
// Prints one JSON object per run and a table of medians.

#include "app/player.h"
#include "favourites/favourites_list.h"
#include "favourites/thumbnail_grabs.h"
#include "panels/okini_view.h"
#include "stall_meter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace
{

// Notes when the favourites list first paints with entries (the first
// screen) and when it paints with at least `entries` entries; it watches the
// whole application, since the list is made during start-up.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    int entries = 0;
    const QElapsedTimer *clock = nullptr;
    double firstScreenMs = -1;

    void reset()
    {
        painted = false;
        firstScreenMs = -1;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            auto *widget = qobject_cast<QWidget *>(watched);
            auto *view = widget ? qobject_cast<OkiniView *>(widget->parentWidget()) : nullptr;
            const int rows = view && view->model() ? view->model()->rowCount() : 0;
            if (rows > 0 && firstScreenMs < 0 && clock)
                firstScreenMs = clock->nsecsElapsed() / 1e6;
            if (view && rows >= entries)
                painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

bool makeClip(const QString &path)
{
    return QProcess::execute("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                        "testsrc=size=320x240:rate=25:duration=3", "-c:v", "mpeg4",
                                        path}) == 0;
}

// count movies (hard links of one clip) named m0000.avi ... in folder, and
// okini.ini listing them.
QByteArray makeMovies(const QString &clip, const QString &folder, const char *prefix, int count)
{
    QDir().mkpath(folder);
    QByteArray list;
    for (int i = 0; i < count; ++i) {
        const QString movie = folder + QString("/%1%2.avi").arg(prefix).arg(i, 4, 10, QChar('0'));
        if (::link(QFile::encodeName(clip).constData(), QFile::encodeName(movie).constData()) != 0)
            QFile::copy(clip, movie);
        list += movie.toUtf8() + "\r\n";
    }
    return list;
}

void waitUntil(const std::function<bool()> &done, int ms = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int count = argc > 2 ? std::max(1, atoi(argv[2])) : 1000;
    const int freshCount = argc > 3 ? std::max(1, atoi(argv[3])) : 200;

    QTemporaryDir work;
    const QString clip = work.path() + "/clip.avi";
    if (!makeClip(clip)) {
        std::fprintf(stderr, "ffmpeg could not make the clip\n");
        return 1;
    }
    const QByteArray thousand = makeMovies(clip, work.path() + "/many", "m", count);
    const QByteArray fresh = makeMovies(clip, work.path() + "/fresh", "n", freshCount);
    QImage thumbnail(100, 75, QImage::Format_RGB32);
    thumbnail.fill(Qt::darkCyan);

    std::vector<double> startup, reload, stall, rate;
    for (int run = 1; run <= runs; ++run) {
        QTemporaryDir program;
        QFile okini(program.path() + "/okini.ini");
        okini.open(QIODevice::WriteOnly);
        okini.write(thousand);
        okini.close();
        QFile config(program.path() + "/config.ini");
        config.open(QIODevice::WriteOnly);
        config.write("[other]\r\nListMode=2\r\nListVisible=1\r\n");
        config.close();
        QDir().mkpath(program.path() + "/image");
        // One picture, linked under every name.
        const QString picture = program.path() + "/picture.bmp";
        thumbnail.save(picture);
        for (int i = 0; i < count; ++i) {
            const QString name =
                program.path() + QString("/image/m%1.bmp").arg(i, 4, 10, QChar('0'));
            if (::link(QFile::encodeName(picture).constData(), QFile::encodeName(name).constData()))
                thumbnail.save(name);
        }

        StartupOptions options;
        options.currentDir = work.path();
        options.programFolder = program.path();
        PaintWatch watch;
        watch.entries = count;
        app.installEventFilter(&watch);
        QElapsedTimer clock;
        clock.start();
        watch.clock = &clock;
        Player player;
        if (!player.Form_Load(options)) {
            std::fprintf(stderr, "the program did not start\n");
            return 1;
        }
        FavouritesList &favourites = player.favourites();
        waitUntil([&] { return watch.painted; });
        const double startupMs = clock.nsecsElapsed() / 1e6;
        const double startupFirstMs = watch.firstScreenMs;

        favourites.delete_all_okini();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        watch.reset();
        std::optional<StallMeter> fillMeter(std::in_place);
        clock.restart();
        favourites.load_okini(favourites.okiniPath(), FavouritesList::Missing::Keep);
        waitUntil([&] { return watch.painted; });
        const double reloadMs = clock.nsecsElapsed() / 1e6;
        const double reloadStall = fillMeter->longest();
        fillMeter.reset();

        // New favourites: their thumbnails are grabbed meanwhile.
        const QString freshList = work.path() + "/fresh.m3u";
        QFile list(freshList);
        list.open(QIODevice::WriteOnly);
        list.write(fresh);
        list.close();
        StallMeter meter;
        clock.restart();
        favourites.load_okini(freshList, FavouritesList::Missing::Drop);
        const double addMs = clock.nsecsElapsed() / 1e6;
        waitUntil([&] {
            return favourites.count() >= count + freshCount && favourites.grabs().pending() == 0;
        });
        const double grabMs = clock.nsecsElapsed() / 1e6;
        const int grabbed = favourites.grabs().total();

        std::printf(
            "{\"run\":%d,\"entries\":%d,\"startup_ms\":%.1f,\"startup_first_screen_ms\":%.1f,"
            "\"reload_ms\":%.1f,\"first_screen_ms\":%.1f,\"reload_stall_ms\":%.1f,"
            "\"add_ms\":%.1f,\"grabs\":%d,\"grab_ms\":%.1f,\"longest_stall_ms\":%.1f}\n",
            run, favourites.count(), startupMs, startupFirstMs, reloadMs, watch.firstScreenMs,
            reloadStall, addMs, grabbed, grabMs, meter.longest());
        std::fflush(stdout);
        startup.push_back(startupMs);
        reload.push_back(reloadMs);
        stall.push_back(meter.longest());
        rate.push_back(grabbed / (grabMs / 1000));
        app.removeEventFilter(&watch);
        player.Form_Unload();
    }

    std::printf("\n| measure (median of %d) | value | target |\n|---|---|---|\n", runs);
    std::printf("| start-up to the painted list, %d favourites, first run in the process | %.0f "
                "ms | < 500 ms |\n",
                count, startup.front());
    std::printf("| the same, later runs in the process | %.0f ms | < 500 ms |\n",
                median(std::vector<double>(startup.begin() + (runs > 1), startup.end())));
    std::printf("| load_okini of %d favourites to the painted list | %.0f ms | |\n", count,
                median(reload));
    std::printf(
        "| longest event-loop stall while %d thumbnails are grabbed | %.1f ms | < 50 ms |\n",
        freshCount, median(stall));
    std::printf("| thumbnails grabbed per second (in the program) | %.0f | |\n", median(rate));
    return 0;
}
