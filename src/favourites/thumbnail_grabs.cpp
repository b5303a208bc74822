#include "favourites/thumbnail_grabs.h"
#include "favourites/favourites_log.h"

#include "base/native_path.h"
#include "base/path.h"
#include "base/state_file.h"
#include "base/thumbnail_rules.h"
#include "favourites/favourites_model.h"
#include "media/frame_grabber.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSaveFile>
#include <QThreadPool>
#include <atomic>

// What the workers share with the queue: the queue may be gone when a grab on
// a slow disk ends.
struct ThumbnailGrabs::Shared {
    QMutex mutex;
    ThumbnailGrabs *owner = nullptr;
    // An image folder that cannot be made (a read-only program folder) is
    // told once, not once a favourite.
    std::atomic_bool folderFailureTold = false;
};

namespace
{

// Written whole or not at all, like every file of the program.
bool writePlaceholder(const QImage &picture, const QString &target)
{
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    state_file::protectNewFile(file, target);
    return picture.save(&file, "BMP") && file.commit();
}

// Made first, so the first movie of a new folder gets its frame.  Without the
// folder neither a frame nor a placeholder could be written: no movie is
// decoded for nothing then.
bool makeImageFolder(const QString &target, std::atomic_bool &failureTold)
{
    const QString folder = path::getfiledir(target);
    if (QFileInfo(folder).isDir() || QDir().mkpath(folder))
        return true;
    if (!failureTold.exchange(true))
        qCInfo(lcFavourites) << "cannot make the image folder" << folder
                             << "- thumbnails are not kept";
    return false;
}

bool grab(const QString &moviePath, const QString &target, ThumbnailGrabs::Kind kind,
          double seconds, const QImage &placeholder, std::atomic_bool &folderFailureTold)
{
    // A missing disk is not a broken movie: its picture comes when it is back.
    if (!native_path::isFile(moviePath) || !makeImageFolder(target, folderFailureTold))
        return false;

    const bool fresh = kind == ThumbnailGrabs::Kind::NewThumbnail;
    if (FrameGrabber::writeBitmap(moviePath, seconds, thumbnail_rules::kSize, target,
                                  fresh ? FrameGrabber::Start::SkipDarkOpening
                                        : FrameGrabber::Start::Exact))
        return true;
    qCInfo(lcFavourites) << "no frame from" << moviePath;
    if (!fresh)
        return false;
    if (!writePlaceholder(placeholder, target)) {
        qCInfo(lcFavourites) << "cannot write the placeholder" << target;
        return false;
    }
    return true;
}

} // namespace

ThumbnailGrabs::ThumbnailGrabs(QObject *parent)
    : QObject(parent), shared_(std::make_shared<Shared>()), pool_(new QThreadPool),
      placeholder_(FavouritesModel::placeholder().toImage())
{
    shared_->owner = this;
    // Each grab may hold pictures as large as the frame grabber takes (up to
    // 8192x8192); two at a time bound what the pool can take of the memory,
    // whatever the movies declare.
    pool_->setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 2));
    // The window comes first on a machine with few cores.
    pool_->setThreadPriority(QThread::LowPriority);
}

ThumbnailGrabs::~ThumbnailGrabs()
{
    {
        const QMutexLocker lock(&shared_->mutex);
        shared_->owner = nullptr;
    }
    pool_->clear();
    // A grab stuck on a dead mount must not hold up the exit: its pool is
    // left to it.
    if (pool_->waitForDone(2000))
        delete pool_;
    else
        qCInfo(lcFavourites) << "a thumbnail grab did not end; leaving it";
}

void ThumbnailGrabs::request(const QString &moviePath, const QString &target, Kind kind,
                             double seconds)
{
    if (pending_.contains(target) && kind == Kind::NewThumbnail)
        return;
    if (pending_.isEmpty())
        done_ = total_ = 0;
    pending_.insert(target);
    ++total_;
    pool_->start([shared = shared_, moviePath, target, kind, seconds, placeholder = placeholder_] {
        const bool written =
            grab(moviePath, target, kind, seconds, placeholder, shared->folderFailureTold);
        const QMutexLocker lock(&shared->mutex);
        if (shared->owner)
            QMetaObject::invokeMethod(
                shared->owner,
                [owner = shared->owner, target, written] { owner->onFinished(target, written); },
                Qt::QueuedConnection);
    });
}

void ThumbnailGrabs::onFinished(const QString &target, bool written)
{
    pending_.remove(target);
    ++done_;
    emit finished(target, written);
    if (pending_.isEmpty())
        emit idle();
}
