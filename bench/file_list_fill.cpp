// file_list_fill FOLDER [RUNS] [refresh]
//
// Starts the program's real main window (in a private program folder) and
// times how long the file page takes to show FOLDER: FileBrowser::setFolder
// (reading the folder, matching the pattern, sorting, filling `File` and
// `Dir1`) and then the event loop until the file list has been laid out and
// painted.  Each run first moves the browser to an empty folder, so every
// run fills the list from nothing.  Prints one JSON object per run:
//   {"run":1,"entries":8000,"set_folder_ms":21.3,"first_screen_ms":23.0,"shown_ms":24.0,
//    "longest_stall_ms":21.5}
// first_screen_ms is from the call to the first paint showing entries (a
// large folder is added in pieces), shown_ms to the first paint of the whole
// list;
// longest_stall_ms is the longest time the event loop did not run in that
// span (what a user would feel as the window not answering).
//
// With "refresh" the folder is shown once, and each run then times F5 on it
// (FileBrowser::refresh) until the list holds the folder read anew, with an
// entry in the middle current; kept_current says whether the same file is
// current afterwards.

#include "app/player.h"
#include "base/path.h"
#include "base/settings.h"
#include "library/file_browser.h"
#include "window/main_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <cstdio>

namespace
{

// Notes when the file list first paints with entries (the first screen) and
// when it paints holding the whole folder.
class PaintWatch : public QObject
{
public:
    PaintWatch(const FileBrowser &browser, const QElapsedTimer &clock)
        : browser_(browser), clock_(clock)
    {
    }
    bool painted = false;
    double firstScreenMs = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            if (firstScreenMs < 0 && browser_.fileList()->count() > 0)
                firstScreenMs = clock_.nsecsElapsed() / 1e6;
            if (!browser_.isListing())
                painted = true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const FileBrowser &browser_;
    const QElapsedTimer &clock_;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: file_list_fill FOLDER [RUNS]\n");
        return 2;
    }
    const QString folder = args.at(1);
    const int runs = args.size() > 2 ? args.at(2).toInt() : 5;
    const bool refreshRuns = args.size() > 3 && args.at(3) == QLatin1String("refresh");

    QTemporaryDir programFolder;
    QTemporaryDir empty;
    StartupOptions options;
    options.currentDir = empty.path();
    options.programFolder = programFolder.path();
    // With MARKS=1 the file list marks how far each movie was watched: the
    // first 5,000 of the folder by name have a place kept, every other one
    // played to its end.
    const bool marks = qEnvironmentVariableIntValue("MARKS") == 1;
    if (marks) {
        QFile places(programFolder.path() + "/positions.ini");
        if (!places.open(QIODevice::WriteOnly))
            return 1;
        const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
        for (qsizetype i = 0; i < names.size() && i < 5000; ++i)
            places.write((i % 2 ? QByteArray("60.000") : QByteArray("-1")) + "\t120.000\t" +
                         QFile::encodeName(path::addbackslash(folder) + names[i]) + "\n");
    }
    Player player;
    if (!player.Form_Load(options)) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    if (marks)
        player.settings().set(Settings::ResumeEach, true);
    FileBrowser &browser = player.fileBrowser();
    QListWidget *files = browser.fileList();
    QElapsedTimer clock;
    PaintWatch watch(browser, clock);
    files->viewport()->installEventFilter(&watch);

    if (refreshRuns) {
        browser.setFolder(folder);
        clock.start();
        while ((browser.isListing() || browser.fileList()->count() == 0) && clock.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            5);
    }
    for (int run = 1; run <= runs; ++run) {
        QString currentName;
        if (refreshRuns) {
            files->setCurrentRow(files->count() / 2);
            currentName = files->currentItem() ? files->currentItem()->text() : QString();
        } else {
            browser.setFolder(empty.path());
        }
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();

        watch.painted = false;
        watch.firstScreenMs = -1;
        clock.start();
        if (refreshRuns)
            browser.refresh();
        else
            browser.setFolder(folder);
        const double setFolderMs = clock.nsecsElapsed() / 1e6;

        // A zero timer runs once per pass of the event loop; the gap between
        // two passes is how long the loop was held up.
        double longestStall = setFolderMs;
        double lastPass = clock.nsecsElapsed() / 1e6;
        QTimer ticker;
        ticker.setInterval(0);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const double now = clock.nsecsElapsed() / 1e6;
            longestStall = qMax(longestStall, now - lastPass);
            lastPass = now;
        });
        ticker.start();
        // A refresh that changes nothing need not paint at all.
        const auto done = [&] { return refreshRuns ? !browser.isListing() : watch.painted; };
        // A large folder read again on a busy machine takes a while.
        while (!done() && clock.elapsed() < (refreshRuns ? 60000 : 10000))
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            5);
        for (int i = 0; refreshRuns && i < 3; ++i)
            QCoreApplication::processEvents();
        const double shownMs = clock.nsecsElapsed() / 1e6;
        ticker.stop();

        const bool keptCurrent =
            !refreshRuns || (files->currentItem() && files->currentItem()->text() == currentName);
        std::printf("{\"run\":%d,\"entries\":%d,\"set_folder_ms\":%.2f,\"first_screen_ms\":%.2f,"
                    "\"shown_ms\":%.2f,\"longest_stall_ms\":%.2f,\"kept_current\":%s}\n",
                    run, files->count(), setFolderMs, watch.firstScreenMs, shownMs, longestStall,
                    keptCurrent ? "true" : "false");
        std::fflush(stdout);
    }
    player.m_exit_Click();
    return 0;
}
