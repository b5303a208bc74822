#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <memory>

class GrabPool;

// Small pictures of the playing movie for the seek bars, grabbed off the
// window's thread by the frame grabber (its limits on frame size and time
// hold) from the key frame at or before each time, as quick as a picture
// can be had, and kept for as long as the movie plays.  Only the latest request
// counts: one that waits is dropped when another comes, and a grab already
// under way finishes into the cache.
class PreviewFrames : public QObject
{
    Q_OBJECT
public:
    // At most this many pictures of one movie are kept, the oldest dropped
    // first: with 160x120 pictures about 15 MB.
    static constexpr int kMaxCached = 200;

    explicit PreviewFrames(QObject *parent = nullptr);
    ~PreviewFrames() override;

    // The movie the pictures are of, at the size given; another movie or
    // another size forgets those kept.  "" for none.
    void setMovie(const QString &path, QSize size);
    const QString &movie() const { return movie_; }

    // The picture at `seconds` (a time the caller has rounded to the step it
    // wants): the one kept, or a null image, and then the grab is asked for
    // in place of any other waiting.
    QImage request(double seconds);
    int cached() const { return int(cache_.size()); }

signals:
    // The picture of the latest request is there: request() gives it now.
    void ready(double seconds);

private:
    void store(quint64 generation, double seconds, const QImage &image);

    std::unique_ptr<GrabPool> pool_;
    QString movie_;
    QSize size_;
    // Tells the grabs of the movie shown now from those of an earlier one.
    quint64 generation_ = 0;
    QHash<qint64, QImage> cache_;
    QList<qint64> order_; // oldest first
    // Asked for and not there yet: grabbed or waiting.
    QList<qint64> asked_;
    qint64 latest_ = -1;
    // Grabs that failed one after another: a movie the grabber cannot read
    // is not asked again and again while the pointer moves.
    static constexpr int kMaxFailures = 3;
    int failures_ = 0;
};
