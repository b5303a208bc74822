#include "favourites/thumbnail_grabs.h"
#include "favourites/favourites_log.h"

#include "base/folder_file.h"
#include "base/native_path.h"
#include "base/path.h"
#include "base/state_file.h"
#include "base/thumbnail_rules.h"
#include "favourites/favourites_model.h"
#include "media/frame_grabber.h"

#include <QBuffer>
#include <QMutex>
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

// How a grab ended.
enum class Outcome { Written, Failed, Refused };

// Written whole or not at all, and never through a link, like every
// thumbnail.
folder_file::Result writePlaceholder(const QImage &picture, const QString &target)
{
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "BMP"))
        return folder_file::Result::Failed;
    return folder_file::writePath(target, bitmap, state_file::newFileMode(target));
}

// Made first, so the first movie of a new folder gets its frame.  Without the
// folder neither a frame nor a placeholder could be written: no movie is
// decoded for nothing then.  Nor is one for a folder that is not safe to
// write into (a link, another user's folder beside the movies).
folder_file::Result makeImageFolder(const QString &target, std::atomic_bool &failureTold)
{
    const QString folder = path::getfiledir(target);
    // The user is told already that nothing of the session is saved there.
    if (state_file::inUnsafeOwnFolder(folder)) {
        if (!failureTold.exchange(true))
            qCInfo(lcFavourites) << "thumbnails are not kept in" << folder
                                 << "- other users can write the program folder";
        return folder_file::Result::Failed;
    }
    const folder_file::Result result = folder_file::prepareFolder(folder);
    if (result == folder_file::Result::Failed && !failureTold.exchange(true))
        qCInfo(lcFavourites) << "cannot make the image folder" << folder
                             << "- thumbnails are not kept";
    return result;
}

Outcome grab(const QString &moviePath, const QString &target, ThumbnailGrabs::Kind kind,
             double seconds, const QImage &placeholder, std::atomic_bool &folderFailureTold)
{
    // A missing disk is not a broken movie: its picture comes when it is back.
    if (!native_path::isFile(moviePath))
        return Outcome::Failed;
    switch (makeImageFolder(target, folderFailureTold)) {
    case folder_file::Result::Refused:
        return Outcome::Refused;
    case folder_file::Result::Failed:
        return Outcome::Failed;
    case folder_file::Result::Written:
        break;
    }

    const bool fresh = kind == ThumbnailGrabs::Kind::NewThumbnail;
    if (FrameGrabber::writeBitmap(moviePath, seconds, thumbnail_rules::kSize, target,
                                  fresh ? FrameGrabber::Start::SkipDarkOpening
                                        : FrameGrabber::Start::Exact))
        return Outcome::Written;
    qCInfo(lcFavourites) << "no frame from" << moviePath;
    if (!fresh)
        return Outcome::Failed;
    switch (writePlaceholder(placeholder, target)) {
    case folder_file::Result::Written:
        return Outcome::Written;
    case folder_file::Result::Refused:
        return Outcome::Refused;
    case folder_file::Result::Failed:
        break;
    }
    qCInfo(lcFavourites) << "cannot write the placeholder" << target;
    return Outcome::Failed;
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
        const Outcome outcome =
            grab(moviePath, target, kind, seconds, placeholder, shared->folderFailureTold);
        const QMutexLocker lock(&shared->mutex);
        if (!shared->owner)
            return;
        QMetaObject::invokeMethod(
            shared->owner,
            [owner = shared->owner, target, outcome] {
                if (outcome == Outcome::Refused)
                    emit owner->refused(path::getfiledir(target));
                owner->onFinished(target, outcome == Outcome::Written);
            },
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
