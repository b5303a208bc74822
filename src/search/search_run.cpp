#include "search/search_run.h"

#include "base/background_priority.h"
#include "search/search_log.h"

#include <QElapsedTimer>
#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

namespace
{

// How often the window takes what the walk found, in pieces of how many,
// and for how long at most each time: often enough to look live, briefly
// enough that adding a long list never stalls it.
constexpr int kCollectMs = 10;
constexpr qsizetype kPiece = 1000;
constexpr qint64 kCollectBudgetMs = 15;

} // namespace

// What the walking thread shares with the run.  The walk only ever touches
// this, so a run may go away while its walk is stuck.
struct SearchRun::Channel {
    std::atomic<bool> cancelled{false};
    std::mutex mutex;
    QList<Hit> tray;
    folder_walk::Progress progress;
    bool done = false;
};

SearchRun::SearchRun(QObject *parent) : QObject(parent)
{
    collector_.setInterval(kCollectMs);
    connect(&collector_, &QTimer::timeout, this, &SearchRun::collect);
}

SearchRun::~SearchRun()
{
    cancel();
}

void SearchRun::cancel()
{
    collector_.stop();
    if (channel_)
        channel_->cancelled = true;
    channel_.reset();
    running_ = false;
}

void SearchRun::start(const QString &base, const QString &text, bool moreFormats)
{
    cancel();
    channel_ = std::make_shared<Channel>();
    running_ = true;
    collector_.start();
    std::thread([channel = channel_, base, text, moreFormats] {
        background_priority::lowerThisThread();
        QList<Hit> found;
        const auto onFound = [&found](const QString &folder, const QStringList &names) {
            for (const QString &name : names)
                found.append({folder, name});
        };
        const auto onFolderDone = [&](const folder_walk::Progress &progress) {
            const std::lock_guard lock(channel->mutex);
            channel->tray.append(std::move(found));
            found.clear();
            channel->progress = progress;
        };
        const bool complete =
            folder_walk::walk(base, text, onFound, onFolderDone, channel->cancelled, moreFormats);
        const std::lock_guard lock(channel->mutex);
        channel->done = complete;
    }).detach();
}

void SearchRun::collect()
{
    QElapsedTimer budget;
    budget.start();
    while (channel_) {
        QList<Hit> hits;
        folder_walk::Progress progress;
        bool done = false;
        {
            const std::lock_guard lock(channel_->mutex);
            QList<Hit> &tray = channel_->tray;
            if (tray.size() <= kPiece) {
                hits = std::exchange(tray, {});
            } else {
                hits = tray.first(kPiece);
                tray.remove(0, kPiece);
            }
            progress = channel_->progress;
            done = channel_->done && tray.isEmpty();
        }
        if (!hits.isEmpty())
            emit found(hits);
        if (done) {
            collector_.stop();
            channel_.reset();
            running_ = false;
            qCDebug(lcSearch) << "search done:" << progress.foldersSearched << "folders,"
                              << progress.hits << "hits";
            emit finished(progress);
            return;
        }
        if (hits.size() < kPiece || budget.elapsed() >= kCollectBudgetMs) {
            emit this->progress(progress);
            return;
        }
    }
}
