#include "playback/resume.h"

#include "base/path.h"
#include "base/quoted_records.h"
#include "base/state_file.h"
#include "media/cmovie.h"
#include "playback/open_and_play.h"
#include "playback/playback_log.h"

#include <QTimer>

namespace
{

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// The first entry of the list with the name, whatever its folder.
void selectByName(PlaySource *source, const QString &name)
{
    if (!source || name.isEmpty())
        return;
    for (int i = 0; i < source->count(); ++i) {
        if (nameOf(source->pathAt(i)) == name) {
            source->select(i, true);
            return;
        }
    }
}

} // namespace

Resume::Resume(CMovie &movie, OpenAndPlay &player, const QString &programFolder,
               ActivePlaySource source, std::function<bool()> relativePaths, QObject *parent)
    : QObject(parent), movie_(movie), player_(player), programFolder_(programFolder),
      source_(std::move(source)), relativePaths_(std::move(relativePaths))
{
    // Once any movie opens, the record read at start has served.
    connect(&player_, &OpenAndPlay::movieOpened, this, [this] { unused_.reset(); });
}

std::optional<Resume::Record> Resume::read(const QString &path)
{
    const std::optional<QByteArray> content = state_file::readWhole(path);
    if (!content)
        return std::nullopt;
    const QList<quoted_records::Record> records = quoted_records::parse(*content);
    Record record;
    const auto field = [&records](int line) {
        return line < records.size() ? quoted_records::fieldAt(records[line], 0)
                                     : quoted_records::Field();
    };
    record.path = field(0).text;
    record.position = field(1).toDouble().value_or(0);
    record.state = int(field(2).toInteger().value_or(0));
    return record;
}

void Resume::load_resume()
{
    const std::optional<Record> record = read(statePath());
    if (!record || record->path.isEmpty())
        return;
    unused_ = state_file::readWhole(statePath());
    const QString moviePath = path::getabsolutepath(record->path, programFolder_);
    selectWhenListed(moviePath, 0);
    if (record->state != 1)
        return;
    // A movie that is not there now fails to open, and the record is kept.
    player_.play_file(moviePath, record->position);
}

// The entry is selected once the list shown holds every entry, so that a
// large folder or favourites file, added in pieces, has it, and continuous
// play goes on from there.  Not if another movie was opened meanwhile.
void Resume::selectWhenListed(const QString &moviePath, int attempt)
{
    constexpr int kPollMs = 50;
    constexpr int kMostPolls = 1200;
    PlaySource *source = source_ ? source_() : nullptr;
    if (!source)
        return;
    if (!source->complete() && attempt < kMostPolls) {
        QTimer::singleShot(kPollMs, this, [this, moviePath, attempt] {
            selectWhenListed(moviePath, attempt + 1);
        });
        return;
    }
    const QString loaded = movie_.isOpening() ? movie_.openingPath() : movie_.filename();
    if (loaded.isEmpty() || loaded == moviePath)
        selectByName(source, nameOf(moviePath));
}

bool Resume::save_resume() const
{
    // A failure is logged where the file is written.
    return fileMayBeWritten() && state_file::writeWhole(statePath(), resumeText());
}

// Not read at start when resuming is off or a movie was named: looked at
// once, so that a file that cannot be read is not written over (the outcome
// stays with the file's name, see state_file::read).
bool Resume::fileMayBeWritten() const
{
    if (!fileLookedAt_) {
        fileLookedAt_ = true;
        fileUnreadable_ = state_file::read(statePath()).found == state_file::Found::Unreadable;
    }
    return !fileUnreadable_;
}

QList<quoted_records::Record> Resume::recordOf(const QString &path, double position,
                                               int state) const
{
    const bool relative = relativePaths_ && relativePaths_();
    const QString stored = relative ? path::getrelativepath(path, programFolder_) : path;
    // A position that cannot be read is written as 0 rather than left out,
    // which would move the state into the position's line.
    return {{quoted_records::Field::quotedText(stored)},
            {quoted_records::Field::real(position)},
            {quoted_records::Field::integer(state)}};
}

QByteArray Resume::resumeText() const
{
    const int state = int(movie_.playState());
    const QString &loaded = movie_.filename();
    if (!state_file::fitsOnALine(loaded))
        qCInfo(lcPlayback) << "resume: a name with a line break is not kept:" << loaded;
    if ((state == 1 || state == 2) && !loaded.isEmpty() && state_file::fitsOnALine(loaded)) {
        double position = 0;
        if (!movie_.currentPosition(&position))
            position = 0;
        lastPlace_ = quoted_records::write(recordOf(loaded, position, state));
        return *lastPlace_;
    }
    if (unused_)
        return *unused_;
    // Between two movies the place is never lost: it is the movie being
    // opened, from its start, or the last one's until the next is found.
    const QString opening = movie_.openingPath();
    if (!opening.isEmpty() && state_file::fitsOnALine(opening))
        return quoted_records::write(recordOf(opening, 0, 1));
    if (lastPlace_ && stepping_ && stepping_())
        return *lastPlace_;
    lastPlace_.reset();
    return quoted_records::write({{quoted_records::Field::quotedText(QString())},
                                  {quoted_records::Field::integer(0)},
                                  {quoted_records::Field::integer(4)}});
}
