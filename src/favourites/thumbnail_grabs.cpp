#include "favourites/thumbnail_grabs.h"
#include "favourites/favourites_log.h"

#include "base/folder_file.h"
#include "base/native_path.h"
#include "base/path.h"
#include "base/state_file.h"
#include "base/thumbnail_rules.h"
#include "media/frame_grabber.h"
#include "media/grab_pool.h"

#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <utility>

namespace
{

// How a grab ended.
enum class Outcome {
    Written,
    // No movie file, or no picture in it: nothing is written.
    NoFrame,
    // The thumbnail could not be written (a full disk, no image folder).
    Unwritten,
    Refused
};

// A thumbnail that could not be written is tried again after this, then
// after twice as long each time, up to the longest wait.
constexpr int kFirstRetryMs = 2000;
constexpr int kLongestRetryMs = 64000;

// Opened, and made first, before the movie is decoded, and written into by
// that handle: so the first movie of a new folder gets its frame, and a
// folder replaced by a link meanwhile (beside the movies, where others may
// write) does not redirect the write.  Without the folder no frame could be
// written: no movie is decoded for nothing then.
// Nor is one for a folder that is not safe to write into (a link, another
// user's folder beside the movies).
folder_file::Result openImageFolder(folder_file::Folder &folder, const QString &path,
                                    const QString &target, std::atomic_bool &failureTold)
{
    // The user is told already that nothing of the session is saved there.
    if (state_file::inUnsafeOwnFolder(path)) {
        if (!failureTold.exchange(true))
            qCInfo(lcFavourites) << "thumbnails are not kept in" << path
                                 << "- other users can write the program folder";
        return folder_file::Result::Failed;
    }
    const folder_file::Result result = folder.open(path, folder_file::Folder::Missing::Make);
    if (result == folder_file::Result::Failed && !failureTold.exchange(true))
        qCInfo(lcFavourites) << "cannot make the image folder" << path::getfiledir(target)
                             << "- thumbnails are not kept";
    return result;
}

// Where a grab reads the movie and writes its thumbnail.  Beside the movie
// both are found from one handle on the movie's folder (through
// /proc/self/fd), so that a folder on the way replaced by a link meanwhile,
// or a file system that answers each look-up differently, cannot make them
// two places: a frame of one of the user's own movies elsewhere would then
// land in the folder of whoever planted the link.  The grabber itself never
// follows a link under the movie's name; a thumbnail of the program's own
// folder stays private, so there a movie kept as a link gets its picture.
class GrabPlaces
{
public:
    GrabPlaces(const QString &moviePath, const QString &target)
    {
        const QString movieFolder = path::getfiledir(moviePath);
        imageFolder_ = path::getfiledir(target);
        name_ = target.mid(imageFolder_.size() + 1);
        if (imageFolder_ != thumbnail_rules::imageFolder({}, movieFolder, true)) {
            const std::unique_ptr<char, decltype(&::free)> real(
                ::realpath(native_path::encode(moviePath).constData(), nullptr), &::free);
            movie_ = real ? native_path::decode(real.get()) : moviePath;
            return;
        }
        // A handle only for finding names in it: a folder that may be passed
        // through but not listed serves as well.
        movieFolder_ =
            ::open(native_path::encode(movieFolder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        const QString held = QStringLiteral("/proc/self/fd/%1/").arg(movieFolder_);
        movie_ = held + moviePath.mid(movieFolder.size() + 1);
        imageFolder_ = held + QStringLiteral("image");
    }
    ~GrabPlaces()
    {
        if (movieFolder_ >= 0)
            ::close(movieFolder_);
    }
    GrabPlaces(const GrabPlaces &) = delete;
    GrabPlaces &operator=(const GrabPlaces &) = delete;

    const QString &movie() const { return movie_; }
    const QString &imageFolder() const { return imageFolder_; }
    const QString &thumbnailName() const { return name_; }

private:
    int movieFolder_ = -1;
    QString movie_;
    QString imageFolder_;
    QString name_;
};

Outcome outcomeOf(folder_file::Result result)
{
    switch (result) {
    case folder_file::Result::Written:
        return Outcome::Written;
    case folder_file::Result::Refused:
        return Outcome::Refused;
    case folder_file::Result::Failed:
        break;
    }
    return Outcome::Unwritten;
}

// The placeholder is never written under a movie's name: a movie that gives
// no picture today (not copied whole yet, a codec missing) gets its own the
// next time it is added or the list is read.
Outcome grab(const QString &moviePath, const QString &target, ThumbnailGrabs::Kind kind,
             double seconds, std::atomic_bool &folderFailureTold)
{
    // A missing disk is not a broken movie: its picture comes when it is back.
    if (!native_path::isFile(moviePath))
        return Outcome::NoFrame;
    const GrabPlaces places(moviePath, target);
    folder_file::Folder folder;
    const folder_file::Result opened =
        openImageFolder(folder, places.imageFolder(), target, folderFailureTold);
    if (opened != folder_file::Result::Written)
        return outcomeOf(opened);

    const QString &name = places.thumbnailName();
    const bool fresh = kind == ThumbnailGrabs::Kind::NewThumbnail;
    const QByteArray frame = FrameGrabber::bitmap(FrameGrabber::grab(
        places.movie(), seconds, thumbnail_rules::kSize,
        fresh ? FrameGrabber::Start::SkipDarkOpening : FrameGrabber::Start::Exact));
    if (frame.isEmpty()) {
        qCInfo(lcFavourites) << "no frame from" << moviePath;
        return Outcome::NoFrame;
    }
    const Outcome outcome = outcomeOf(folder.write(name, frame));
    if (outcome == Outcome::Unwritten)
        qCInfo(lcFavourites) << "cannot write the thumbnail" << target;
    return outcome;
}

} // namespace

ThumbnailGrabs::ThumbnailGrabs(QObject *parent)
    : QObject(parent), folderFailureTold_(std::make_shared<std::atomic_bool>(false)),
      // Each grab may hold pictures as large as the frame grabber takes (up
      // to 8192x8192); two at a time bound what the pool can take of the
      // memory, whatever the movies declare.  The window comes first on a
      // machine with few cores.
      pool_(std::make_unique<GrabPool>(*this, std::clamp(QThread::idealThreadCount(), 1, 2),
                                       QThread::LowPriority, "thumbnail")),
      retry_(new QTimer(this)), retryDelayMs_(kFirstRetryMs)
{
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, &ThumbnailGrabs::tryUnwrittenAgain);
}

ThumbnailGrabs::~ThumbnailGrabs() = default;

void ThumbnailGrabs::request(const QString &moviePath, const QString &target, Kind kind,
                             double seconds)
{
    if (pending_.contains(target) && kind == Kind::NewThumbnail)
        return;
    if (pending_.isEmpty())
        done_ = total_ = 0;
    pending_.insert(target);
    ++total_;
    pool_->start([told = folderFailureTold_, moviePath, target, kind,
                  seconds] { return grab(moviePath, target, kind, seconds, *told); },
                 [this, moviePath, target, kind](Outcome outcome) {
                     if (outcome == Outcome::Refused)
                         emit refused(path::getfiledir(target));
                     if (outcome == Outcome::Unwritten && kind == Kind::NewThumbnail)
                         keepUnwritten(moviePath, target);
                     if (outcome == Outcome::Written)
                         tryUnwrittenNow();
                     onFinished(target, outcome == Outcome::Written);
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

// While the disk stays full, one of the thumbnails waits for the next try
// at a time, ever less often: a whole list of new favourites would
// otherwise be decoded again every time.
void ThumbnailGrabs::keepUnwritten(const QString &moviePath, const QString &target)
{
    if (!unwritten_.contains(target))
        unwritten_.insert(target, moviePath);
    if (retry_->isActive())
        return;
    retry_->start(retryDelayMs_);
    retryDelayMs_ = std::min(retryDelayMs_ * 2, kLongestRetryMs);
}

void ThumbnailGrabs::tryUnwrittenAgain()
{
    if (unwritten_.isEmpty())
        return;
    const auto first = unwritten_.begin();
    const QString moviePath = first.value();
    const QString target = first.key();
    unwritten_.erase(first);
    request(moviePath, target, Kind::NewThumbnail);
}

// A thumbnail was written, so there is room again: the others go now.
void ThumbnailGrabs::tryUnwrittenNow()
{
    retry_->stop();
    retryDelayMs_ = kFirstRetryMs;
    const QHash<QString, QString> waiting = std::exchange(unwritten_, {});
    for (auto it = waiting.begin(); it != waiting.end(); ++it)
        request(it.value(), it.key(), Kind::NewThumbnail);
}
