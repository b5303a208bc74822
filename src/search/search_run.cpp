#include "search/search_run.h"

#include "search/search_log.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

namespace
{

// How often the window takes what the walk found, and how much at a time:
// often enough to look live, little enough that adding never stalls it.
constexpr int kCollectMs = 25;
constexpr qsizetype kMostPerCollect = 2000;

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

void SearchRun::start(const QString &base, const QString &text)
{
    cancel();
    channel_ = std::make_shared<Channel>();
    running_ = true;
    collector_.start();
    std::thread([channel = channel_, base, text] {
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
            folder_walk::walk(base, text, onFound, onFolderDone, channel->cancelled);
        const std::lock_guard lock(channel->mutex);
        channel->done = complete;
    }).detach();
}

void SearchRun::collect()
{
    if (!channel_)
        return;
    QList<Hit> hits;
    folder_walk::Progress progress;
    bool done = false;
    {
        const std::lock_guard lock(channel_->mutex);
        QList<Hit> &tray = channel_->tray;
        if (tray.size() <= kMostPerCollect) {
            hits = std::exchange(tray, {});
        } else {
            hits = tray.first(kMostPerCollect);
            tray.remove(0, kMostPerCollect);
        }
        progress = channel_->progress;
        done = channel_->done && tray.isEmpty();
    }
    if (!hits.isEmpty())
        emit found(hits);
    if (!done) {
        emit this->progress(progress);
        return;
    }
    collector_.stop();
    channel_.reset();
    running_ = false;
    qCDebug(lcSearch) << "search done:" << progress.foldersSearched << "folders," << progress.hits
                      << "hits";
    emit finished(progress);
}
