#include "media/preview_frames.h"

#include "media/frame_grabber.h"
#include "media/media_log.h"

#include <QMutex>
#include <QThreadPool>
#include <cmath>

// What a grab shares with the queue, which may be gone when a grab on a slow
// disk ends.
struct PreviewFrames::Shared {
    QMutex mutex;
    PreviewFrames *owner = nullptr;
};

namespace
{

// Cache keys: milliseconds, so that times the caller rounded meet exactly.
qint64 keyOf(double seconds)
{
    return qint64(std::llround(seconds * 1000));
}

} // namespace

PreviewFrames::PreviewFrames(QObject *parent)
    : QObject(parent), shared_(std::make_shared<Shared>()), pool_(new QThreadPool)
{
    shared_->owner = this;
    // One grab at a time: a sweep over the bar asks for many pictures, of
    // which only the last is wanted, and the thumbnails grab beside it.
    pool_->setMaxThreadCount(1);
    // Idle: on Linux the scheduler then gives the grab only what the window
    // and the player leave (a low priority alone would still take turns
    // with them).
    pool_->setThreadPriority(QThread::IdlePriority);
}

PreviewFrames::~PreviewFrames()
{
    {
        const QMutexLocker lock(&shared_->mutex);
        shared_->owner = nullptr;
    }
    pool_->clear();
    // A grab stuck on a dead mount must not hold up the exit.
    if (pool_->waitForDone(2000))
        delete pool_;
    else
        qCInfo(lcMedia) << "a seek-bar picture grab did not end; leaving it";
}

void PreviewFrames::setMovie(const QString &path, QSize size)
{
    if (path == movie_ && size == size_)
        return;
    movie_ = path;
    size_ = size;
    ++generation_;
    cache_.clear();
    order_.clear();
    asked_.clear();
    latest_ = -1;
    failures_ = 0;
    pool_->clear();
}

QImage PreviewFrames::request(double seconds)
{
    if (movie_.isEmpty() || size_.isEmpty() || !std::isfinite(seconds))
        return {};
    const qint64 key = keyOf(seconds);
    latest_ = key;
    if (const auto found = cache_.constFind(key); found != cache_.constEnd())
        return *found;
    if (asked_.contains(key) || failures_ >= kMaxFailures)
        return {};
    // Whatever still waits was for a place the pointer has left.
    pool_->clear();
    asked_ = {key};
    pool_->start(
        [shared = shared_, path = movie_, size = size_, generation = generation_, seconds] {
            const QImage image =
                FrameGrabber::grab(path, seconds, size, FrameGrabber::Start::KeyFrameBefore);
            const QMutexLocker lock(&shared->mutex);
            if (!shared->owner)
                return;
            QMetaObject::invokeMethod(
                shared->owner,
                [owner = shared->owner, generation, seconds, image] {
                    owner->store(generation, seconds, image);
                },
                Qt::QueuedConnection);
        });
    return {};
}

void PreviewFrames::store(quint64 generation, double seconds, const QImage &image)
{
    const qint64 key = keyOf(seconds);
    asked_.removeOne(key);
    if (generation != generation_)
        return;
    if (image.isNull()) {
        if (++failures_ == kMaxFailures)
            qCInfo(lcMedia) << "no seek-bar pictures of" << movie_;
        return;
    }
    failures_ = 0;
    if (!cache_.contains(key)) {
        if (order_.size() >= kMaxCached)
            cache_.remove(order_.takeFirst());
        order_.append(key);
    }
    cache_.insert(key, image);
    if (key == latest_)
        emit ready(seconds);
}
