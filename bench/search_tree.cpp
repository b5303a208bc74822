// search_tree TREE TEXT [RUNS] [COLD]
//
// The search page searching TREE for TEXT in the program's real main window
// (a private program folder): Enter in the search box to the last result
// shown.  With COLD set to 1 the page cache is dropped before each run (needs
// root).  Prints one JSON object per run: the time to the end of the search,
// the results listed, the folders searched, and the longest time the event
// loop did not run meanwhile (what a user would feel as the window not
// answering), and the time to the first paint of the list showing results.

#include "app/player.h"
#include "library/file_browser.h"
#include "panels/list_panel.h"
#include "search/search_page.h"
#include "stall_meter.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <unistd.h>

namespace
{

bool dropPageCache()
{
    ::sync();
    QFile drop("/proc/sys/vm/drop_caches");
    return drop.open(QIODevice::WriteOnly) && drop.write("3\n") == 2;
}

// Notes when the results list first paints with results.
class PaintWatch : public QObject
{
public:
    PaintWatch(const QListView &list, const QElapsedTimer &clock) : list_(list), clock_(clock) {}
    double firstScreenMs = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && firstScreenMs < 0 && list_.model() &&
            list_.model()->rowCount() > 0)
            firstScreenMs = clock_.nsecsElapsed() / 1e6;
        return QObject::eventFilter(watched, event);
    }

private:
    const QListView &list_;
    const QElapsedTimer &clock_;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 3) {
        std::fprintf(stderr, "usage: search_tree TREE TEXT [RUNS] [COLD]\n");
        return 2;
    }
    const QString tree = QString::fromLocal8Bit(argv[1]);
    const QString text = QString::fromLocal8Bit(argv[2]);
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 5;
    const bool cold = argc > 4 && atoi(argv[4]) == 1;

    QTemporaryDir program;
    Player player;
    StartupOptions options;
    options.currentDir = tree;
    options.programFolder = program.path();
    if (!player.Form_Load(options))
        return 1;
    player.fileBrowser().setFolder(tree);
    ListPanel &panel = player.listPanel();
    panel.selectTab(ListPanel::SearchPage);
    panel.FindText->setEditText(text);

    for (int run = 1; run <= runs; ++run) {
        if (cold && !dropPageCache()) {
            std::fprintf(stderr, "cannot drop the page cache (not root?)\n");
            return 1;
        }
        QEventLoop loop;
        QObject::connect(&player.searchPage(), &SearchPage::searchFinished, &loop,
                         &QEventLoop::quit);
        QElapsedTimer clock;
        PaintWatch watch(*panel.List_Find, clock);
        panel.List_Find->viewport()->installEventFilter(&watch);
        clock.start();
        StallMeter meter;
        player.searchPage().run_search();
        loop.exec();
        const double ms = clock.nsecsElapsed() / 1e6;
        // The last results' paint, for a search that found some.
        for (int i = 0;
             i < 5 && watch.firstScreenMs < 0 && panel.List_Find->model()->rowCount() > 0; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            20);
        panel.List_Find->viewport()->removeEventFilter(&watch);
        std::printf("{\"run\": %d, \"ms\": %.1f, \"first_screen_ms\": %.1f, \"hits\": %d, "
                    "\"stall_ms\": %.1f, \"progress\": \"%s\"}\n",
                    run, ms, watch.firstScreenMs, int(panel.List_Find->model()->rowCount()),
                    meter.longest(), player.searchPage().findProgress->text().toUtf8().constData());
        std::fflush(stdout);
    }
    player.Form_Unload();
    return 0;
}
