#include "media/preview_frames.h"

#include "media/frame_grabber.h"
#include "media/grab_pool.h"
#include "media/media_log.h"

#include <cmath>

namespace
{

// Cache keys: milliseconds, so that times the caller rounded meet exactly.
qint64 keyOf(double seconds)
{
    return qint64(std::llround(seconds * 1000));
}

} // namespace

PreviewFrames::PreviewFrames(QObject *parent)
    : QObject(parent),
      // One grab at a time: a sweep over the bar asks for many pictures, of
      // which only the last is wanted, and the thumbnails grab beside it.
      // Idle: on Linux the scheduler then gives the grab only what the window
      // and the player leave (a low priority alone would still take turns
      // with them).
      pool_(std::make_unique<GrabPool>(*this, 1, QThread::IdlePriority, "seek-bar picture"))
{
}

PreviewFrames::~PreviewFrames() = default;

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
        [path = movie_, size = size_, seconds] {
            return FrameGrabber::grab(path, seconds, size, FrameGrabber::Start::KeyFrameBefore);
        },
        [this, generation = generation_, seconds](const QImage &image) {
            store(generation, seconds, image);
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
