#include "playback/resume.h"

#include "base/native_path.h"
#include "base/path.h"
#include "base/quoted_records.h"
#include "base/state_file.h"
#include "media/cmovie.h"
#include "playback/open_and_play.h"
#include "playback/playback_log.h"

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
    selectByName(source_ ? source_() : nullptr, nameOf(record->path));
    if (record->state != 1)
        return;
    // The session names the movie only once it really opens.
    if (!native_path::isFile(moviePath)) {
        qCInfo(lcPlayback) << "resume: the movie is not there:" << moviePath;
        return;
    }
    player_.play_file(moviePath, record->position);
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

QByteArray Resume::resumeText() const
{
    QList<quoted_records::Record> records;
    const int state = int(movie_.playState());
    double position = 0;
    const bool storable = state_file::fitsOnALine(movie_.filename());
    if (!storable)
        qCInfo(lcPlayback) << "resume: a name with a line break is not kept:" << movie_.filename();
    if ((state == 1 || state == 2) && !movie_.filename().isEmpty() && storable) {
        const bool relative = relativePaths_ && relativePaths_();
        const QString stored =
            relative ? path::getrelativepath(movie_.filename(), programFolder_) : movie_.filename();
        records.append({quoted_records::Field::quotedText(stored)});
        // A position that cannot be read is written as 0 rather than left
        // out, which would move the state into the position's line.
        if (!movie_.currentPosition(&position))
            position = 0;
        records.append({quoted_records::Field::real(position)});
        records.append({quoted_records::Field::integer(state)});
    } else if (unused_) {
        return *unused_;
    } else {
        records = {{quoted_records::Field::quotedText(QString())},
                   {quoted_records::Field::integer(0)},
                   {quoted_records::Field::integer(4)}};
    }
    return quoted_records::write(records);
}
