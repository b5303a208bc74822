#include "base/scene_file.h"

#include "base/folder_file.h"

#include "base/media_time.h"
#include "base/native_path.h"
#include "base/path.h"
#include "base/quoted_records.h"
#include "base/state_file.h"

#include <cmath>
#include <limits>

namespace
{

// Ten short lines; anything much bigger is not a scene file of ours.
constexpr qint64 kMaxFileSize = 1 << 20;

bool validSlot(int n)
{
    return n >= 0 && n < SceneFile::kSlotCount;
}

} // namespace

QString SceneFile::deletedCaption()
{
    return QStringLiteral("----");
}

QString SceneFile::pathFor(const QString &sceneFolder, const QString &moviePath)
{
    if (moviePath.isEmpty())
        return QString();
    return path::addbackslash(sceneFolder) + path::getbasename(moviePath) + QStringLiteral(".txt");
}

QString SceneFile::emptyCaption(int slot)
{
    return QStringLiteral("[%1] -----").arg(slot);
}

QString SceneFile::registeredCaption(int slot, int seekBarValue)
{
    return QStringLiteral("[%1] %2").arg(slot).arg(media_time::secondsToString(seekBarValue / 100));
}

QString SceneFile::positionText(double seconds)
{
    return quoted_records::Field::real(seconds).text;
}

std::optional<double> SceneFile::jumpTarget(const QString &position)
{
    const std::optional<double> parsed = quoted_records::Field{position}.toDouble();
    if (!parsed)
        return std::nullopt;
    // Rounded here rather than with the current floating-point rounding mode,
    // which nothing guarantees to be to-nearest-even.
    const double below = std::floor(*parsed);
    const double fraction = *parsed - below;
    double whole = below + 1;
    if (fraction < 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) == 0))
        whole = below;
    // Whole seconds as a 32-bit number, like the seek bar's range.
    if (whole < std::numeric_limits<qint32>::min() || whole > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return whole;
}

SceneFile::Slots SceneFile::parse(const QByteArray &bytes)
{
    Slots table;
    for (int n = 0; n < kSlotCount; ++n)
        table[n].caption = emptyCaption(n);
    // Records fill the slots in order; lines past the tenth are ignored.
    const QList<quoted_records::Record> records = quoted_records::parse(bytes);
    for (int n = 0; n < kSlotCount && n < records.size(); ++n) {
        table[n].caption = quoted_records::fieldAt(records[n], 0).text;
        table[n].position = quoted_records::fieldAt(records[n], 1).text;
    }
    return table;
}

QByteArray SceneFile::serialise(const Slots &table)
{
    QList<quoted_records::Record> records;
    for (const SceneSlot &slot : table) {
        records.append({quoted_records::Field::quotedText(slot.caption),
                        quoted_records::Field::quotedText(slot.position)});
    }
    return quoted_records::write(records);
}

SceneFile::SceneFile()
{
    for (int n = 0; n < kSlotCount; ++n)
        slots_[n].caption = emptyCaption(n);
}

SceneFile::SceneFile(const QString &path) : path_(path)
{
    reload();
}

SceneFile SceneFile::forMovie(const QString &sceneFolder, const QString &moviePath)
{
    return SceneFile(pathFor(sceneFolder, moviePath));
}

const SceneSlot &SceneFile::slot(int n) const
{
    static const SceneSlot none;
    return validSlot(n) ? slots_[n] : none;
}

QString SceneFile::menuCaption(int n, Menu menu) const
{
    const SceneSlot &s = slot(n);
    if (!s.hasScene())
        return s.caption;
    switch (menu) {
    case Menu::View:
        return s.caption;
    case Menu::Register:
        return s.caption + QStringLiteral(" に上書き");
    case Menu::Rename:
        return s.caption + QStringLiteral(" のシーン名変更");
    case Menu::Delete:
        return s.caption + QStringLiteral(" を削除");
    }
    return s.caption;
}

std::optional<double> SceneFile::jumpTarget(int n) const
{
    if (!hasScene(n))
        return std::nullopt;
    return jumpTarget(slot(n).position);
}

void SceneFile::reload()
{
    const state_file::ReadResult file =
        path_.isEmpty() ? state_file::ReadResult()
                        : state_file::read(path_, kMaxFileSize, quoted_records::isRecordFormat);
    exists_ = file.found == state_file::Found::Read;
    unreadable_ = file.found == state_file::Found::Unreadable;
    slots_ = parse(file.content);
}

bool SceneFile::store(const Slots &table)
{
    if (path_.isEmpty())
        return false;
    // The folder is made at start-up; make it again should it have gone.
    folder_file::prepareFolder(path::getfiledir(path_));
    if (!state_file::writeWhole(path_, serialise(table)))
        return false;
    reload();
    return true;
}

bool SceneFile::registerScene(int n, double position, int seekBarValue)
{
    if (!validSlot(n) || !std::isfinite(position))
        return false;
    Slots changed = slots_;
    changed[n] = {registeredCaption(n, seekBarValue), positionText(position)};
    return store(changed);
}

bool SceneFile::rename(int n, const QString &caption)
{
    if (!validSlot(n) || caption.isEmpty())
        return false;
    Slots changed = slots_;
    changed[n].caption = caption;
    return store(changed);
}

bool SceneFile::remove(int n)
{
    // A file that could not be read shows no scene, yet may hold some.
    if (!validSlot(n) || path_.isEmpty() || unreadable_)
        return false;
    Slots changed = slots_;
    changed[n] = {deletedCaption(), QString()};
    for (const SceneSlot &s : changed) {
        if (s.hasScene())
            return store(changed);
    }
    // No scene left: the file goes instead of being rewritten.
    if (native_path::isTaken(path_) && !native_path::removeFile(path_))
        return false;
    reload();
    return true;
}
