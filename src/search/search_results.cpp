#include "search/search_results.h"

#include "base/native_path.h"
#include "base/path.h"
#include "base/quoted_records.h"
#include "base/state_file.h"
#include "search/search_log.h"

namespace
{

// Results are not limited, so neither is their file to the size of the
// other state files.
constexpr qint64 kMostBytes = qint64(512) * 1024 * 1024;

} // namespace

SearchResults::SearchResults(QObject *parent) : QAbstractListModel(parent) {}

int SearchResults::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant SearchResults::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    // No tool tip of its own: over the list the balloon help shows.
    if (role != Qt::DisplayRole)
        return QVariant();
    return native_path::displayName(entries_.at(index.row()).name);
}

QString SearchResults::pathAt(int row) const
{
    return row >= 0 && row < count() ? entries_.at(row).path() : QString();
}

void SearchResults::append(const QList<Entry> &entries)
{
    if (entries.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + int(entries.size()) - 1);
    entries_.append(entries);
    endInsertRows();
}

void SearchResults::clear()
{
    beginResetModel();
    entries_.clear();
    endResetModel();
}

bool SearchResults::load(const QString &file, const QString &programFolder)
{
    const std::optional<QByteArray> content =
        state_file::readWhole(file, kMostBytes, quoted_records::isRecordFormat);
    if (!content)
        return false;
    QList<Entry> read;
    for (const quoted_records::Record &record : quoted_records::parse(*content)) {
        const QString name = quoted_records::fieldAt(record, 1).text;
        if (name.isEmpty())
            continue;
        read.append(
            {path::getabsolutepath(quoted_records::fieldAt(record, 0).text, programFolder), name});
    }
    beginResetModel();
    entries_ = std::move(read);
    endResetModel();
    return true;
}

std::function<QByteArray()> SearchResults::text(const QString &relativeTo) const
{
    // The list is shared, not copied, until the model changes it.
    return [entries = entries_, relativeTo] {
        QList<quoted_records::Record> records;
        records.reserve(entries.size());
        int left = 0;
        for (const Entry &e : entries) {
            // Shown, but not kept: the file has no room for a line break.
            if (!state_file::fitsOnALine(e.path())) {
                ++left;
                continue;
            }
            const QString folder =
                relativeTo.isEmpty() ? e.folder : path::getrelativepath(e.folder, relativeTo);
            records.append({quoted_records::Field::quotedText(folder),
                            quoted_records::Field::quotedText(e.name)});
        }
        if (left > 0)
            qCInfo(lcSearch) << left
                             << "results with a line break in their name are not kept in "
                                "searchData.ini";
        return quoted_records::write(records);
    };
}

bool SearchResults::save(const QString &file, const QString &relativeTo) const
{
    return state_file::writeWhole(file, text(relativeTo)());
}
