#include "base/folder_slots.h"

#include "base/path.h"
#include "base/quoted_records.h"
#include "base/state_file.h"

namespace
{

bool inRange(int n)
{
    return n >= 0 && n < FolderSlots::kCount;
}

QString slotPrefix(int n)
{
    return u'[' + QString::number(n) + u']';
}

} // namespace

FolderSlots::FolderSlots()
{
    for (int n = 0; n < kCount; ++n)
        slots_[n].caption = freeCaption(n);
}

QString FolderSlots::freeCaption(int n)
{
    return slotPrefix(n) + QStringLiteral(" -----------");
}

QString FolderSlots::registeredCaption(int n, const QString &folder)
{
    QString trimmed = folder;
    if (trimmed.endsWith(u'/'))
        trimmed.chop(1);
    if (trimmed.isEmpty())
        return slotPrefix(n) + u'/';
    return slotPrefix(n) + trimmed.mid(trimmed.lastIndexOf(u'/') + 1);
}

bool FolderSlots::anyRegistered() const
{
    for (int n = 0; n < kCount; ++n) {
        if (isRegistered(n))
            return true;
    }
    return false;
}

QString FolderSlots::jumpCaption(int n) const
{
    return slots_.at(n).caption;
}

// A free slot's entries all read as its free caption.
QString FolderSlots::registerCaption(int n) const
{
    return isRegistered(n) ? at(n).caption + QString::fromUtf8(" へ上書き") : at(n).caption;
}

QString FolderSlots::renameCaption(int n) const
{
    return isRegistered(n) ? at(n).caption + QString::fromUtf8(" の登録名変更") : at(n).caption;
}

QString FolderSlots::deleteCaption(int n) const
{
    if (!isRegistered(n))
        return at(n).caption;
    return at(n).caption + QString::fromUtf8(at(n).fromFile ? " 登録削除" : " の登録削除");
}

void FolderSlots::registerFolder(int n, const QString &folder)
{
    if (!inRange(n) || folder.isEmpty())
        return;
    slots_[n] = {registeredCaption(n, folder), folder, false};
}

void FolderSlots::rename(int n, const QString &caption)
{
    if (inRange(n) && isRegistered(n) && !caption.isEmpty()) {
        slots_[n].caption = caption;
        slots_[n].fromFile = false;
    }
}

void FolderSlots::remove(int n)
{
    if (inRange(n))
        slots_[n] = {freeCaption(n), QString(), false};
}

bool FolderSlots::load(const QString &path, const QString &programFolder)
{
    const QList<quoted_records::Record> records = quoted_records::load(path);
    for (int n = 0; n < kCount; ++n) {
        if (n >= records.size() || records[n].size() < 2)
            return false;
        const QString folder = records[n][1].text;
        slots_[n].caption = records[n][0].text;
        slots_[n].folder =
            folder.isEmpty() ? QString() : path::getabsolutepath(folder, programFolder);
        slots_[n].fromFile = true;
    }
    return true;
}

bool FolderSlots::save(const QString &path, const QString &programFolder, bool relative) const
{
    QList<quoted_records::Record> records;
    for (const Slot &slot : slots_) {
        QString folder = slot.folder;
        // Never stored: it would read back as a different folder.
        if (!state_file::fitsOnALine(folder))
            folder.clear();
        if (relative && !folder.isEmpty())
            folder = path::getrelativepath(path::addbackslash(folder), programFolder);
        records.append({quoted_records::Field::quotedText(slot.caption),
                        quoted_records::Field::quotedText(folder)});
    }
    return quoted_records::save(path, records);
}
