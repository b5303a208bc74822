#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <atomic>
#include <memory>

class GrabPool;
class QTimer;

// Thumbnail grabs off the GUI thread.  Each grab writes one thumbnail file
// from a movie's frame; the window stays responsive meanwhile and hears of
// each file as it is written.
class ThumbnailGrabs : public QObject
{
    Q_OBJECT
public:
    enum class Kind {
        // A new favourite's thumbnail: the first frame that is not dark at the
        // start.  When the movie gives no picture nothing is written (the
        // list shows the placeholder, and the next start tries again); a
        // thumbnail that could not be written (a full disk) is tried again
        // later in the session, and all such at once when one is written.
        NewThumbnail,
        // The frame at the time asked for; a failure keeps the old picture.
        Capture,
    };

    explicit ThumbnailGrabs(QObject *parent = nullptr);
    ~ThumbnailGrabs() override;

    // Queues a grab of moviePath into target.  A grab already waiting for the
    // same target is not queued twice.  Movies that are not regular files
    // (gone, a folder, a pipe) are never grabbed and get no placeholder.
    void request(const QString &moviePath, const QString &target, Kind kind, double seconds = 0);

    // Grabs queued or running.
    int pending() const { return int(pending_.size()); }
    // Grabs finished since the queue was last empty, and their total.
    int done() const { return done_; }
    int total() const { return total_; }

signals:
    // target was written (or nothing could be written: written false).
    void finished(const QString &target, bool written);
    // The queue ran empty.
    void idle();
    // A thumbnail was not written because its image folder is not safe to
    // write into (a link, a folder of another user's, a link under the
    // thumbnail's name): the placeholder shows.
    void refused(const QString &imageFolder);

private:
    void onFinished(const QString &target, bool written);
    void keepUnwritten(const QString &moviePath, const QString &target);
    void tryUnwrittenAgain();
    void tryUnwrittenNow();

    // An image folder that cannot be made (a read-only program folder) is
    // told once, not once a favourite; the grabs tell it.
    std::shared_ptr<std::atomic_bool> folderFailureTold_;
    std::unique_ptr<GrabPool> pool_;
    QSet<QString> pending_;
    // New thumbnails that could not be written, by target, with their movies.
    QHash<QString, QString> unwritten_;
    QTimer *retry_;
    int retryDelayMs_;
    int done_ = 0;
    int total_ = 0;
};
