// Grabs a 100x75 thumbnail of every movie named on the command line into an
// output folder, the way the favourites do, and prints the milliseconds it
// took.  With --jobs N the grabs run on N threads at once.
//   thumbnail_grab [--jobs N] OUTDIR MOVIE...
#include "media/frame_grabber.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <atomic>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int jobs = 1;
    if (args.size() > 1 && args.first() == "--jobs") {
        jobs = args.at(1).toInt();
        args = args.mid(2);
    }
    if (args.size() < 2 || jobs < 1) {
        std::fprintf(stderr, "usage: thumbnail_grab [--jobs N] OUTDIR MOVIE...\n");
        return 2;
    }
    const QString out = args.takeFirst();
    QThreadPool pool;
    pool.setMaxThreadCount(jobs);
    std::atomic<int> failed{0};
    QElapsedTimer timer;
    timer.start();
    QtConcurrent::blockingMap(&pool, args, [&](const QString &movie) {
        const QString target = out + "/" + QFileInfo(movie).completeBaseName() + ".bmp";
        if (!FrameGrabber::writeBitmap(movie, 0, QSize(100, 75), target))
            ++failed;
    });
    std::printf("%lld\n", static_cast<long long>(timer.elapsed()));
    return failed ? 1 : 0;
}
