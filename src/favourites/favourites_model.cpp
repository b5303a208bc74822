#include "favourites/favourites_model.h"

#include "base/native_path.h"
#include "base/thumbnail_rules.h"

#include <QBrush>
#include <QMimeData>
#include <QPainter>
#include <QPalette>
#include <QUrl>

namespace
{

// Several screens of the grid (about 30 KB each, 12 MB in all).  More only
// grows the memory of an evening's play: a thumbnail read again from its
// small file takes a fraction of a millisecond.
constexpr int kCachedPictures = 400;

} // namespace

FavouritesModel::FavouritesModel(QObject *parent)
    : QAbstractTableModel(parent), pictures_(kCachedPictures)
{
}

int FavouritesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int FavouritesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant FavouritesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    const Entry &e = entries_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return index.column() == 0 ? e.name : e.folder;
    case Qt::DecorationRole:
        if (index.column() == 0)
            return picture(index.row());
        return QVariant();
    case Qt::ToolTipRole:
        return e.path();
    case Qt::ForegroundRole:
        if (e.missing)
            return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant FavouritesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    return section == 0 ? QStringLiteral("file") : QStringLiteral("dir");
}

Qt::ItemFlags FavouritesModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList FavouritesModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData *FavouritesModel::mimeData(const QModelIndexList &indexes) const
{
    QList<QUrl> urls;
    for (const QModelIndex &index : indexes) {
        if (index.column() == 0 && index.row() < count())
            urls.append(native_path::toFileUrl(entries_.at(index.row()).path()));
    }
    auto *data = new QMimeData;
    data->setUrls(urls);
    return data;
}

QList<list_file::Entry> FavouritesModel::listEntries() const
{
    QList<list_file::Entry> result;
    result.reserve(entries_.size());
    for (const Entry &e : entries_)
        result.append({e.folder, e.name});
    return result;
}

void FavouritesModel::append(const QList<Entry> &entries)
{
    if (entries.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + int(entries.size()) - 1);
    entries_.append(entries);
    endInsertRows();
}

void FavouritesModel::insert(int row, const Entry &entry)
{
    row = std::clamp(row, 0, count());
    beginInsertRows(QModelIndex(), row, row);
    entries_.insert(row, entry);
    endInsertRows();
}

void FavouritesModel::remove(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    entries_.removeAt(row);
    endRemoveRows();
}

void FavouritesModel::clear()
{
    beginResetModel();
    entries_.clear();
    endResetModel();
}

void FavouritesModel::setName(int row, const QString &name)
{
    if (row < 0 || row >= count())
        return;
    entries_[row].name = name;
    emit dataChanged(index(row, 0), index(row, 1));
}

void FavouritesModel::setThumbnail(int row, const QString &thumbnail)
{
    if (row < 0 || row >= count())
        return;
    entries_[row].thumbnail = thumbnail;
    pictures_.remove(thumbnail);
    emit dataChanged(index(row, 0), index(row, 0), {Qt::DecorationRole});
}

void FavouritesModel::setMissing(int row, bool missing)
{
    if (row < 0 || row >= count() || entries_[row].missing == missing)
        return;
    entries_[row].missing = missing;
    // The name stays: only how it is drawn changes.
    emit dataChanged(index(row, 0), index(row, 1), {Qt::ForegroundRole, Qt::DecorationRole});
}

void FavouritesModel::forgetPicture(const QString &thumbnail)
{
    pictures_.remove(thumbnail);
}

QPixmap FavouritesModel::picture(int row) const
{
    const Entry &e = entries_.at(row);
    if (e.missing || e.thumbnail.isEmpty())
        return placeholder();
    if (const QPixmap *cached = pictures_.object(e.thumbnail))
        return *cached;
    QPixmap loaded;
    // A file that is not there (yet) is not looked for at every paint.  Read
    // by its bytes: a movie's name need not be UTF-8.
    constexpr qint64 kLargestPicture = 16 * 1024 * 1024;
    const std::optional<QByteArray> bytes = native_path::readFile(e.thumbnail, kLargestPicture);
    if (!bytes || !loaded.loadFromData(*bytes))
        loaded = placeholder();
    auto *kept = new QPixmap(loaded);
    pictures_.insert(e.thumbnail, kept);
    return loaded;
}

QPixmap FavouritesModel::placeholder()
{
    static const QPixmap picture = [] {
        QPixmap pixmap(thumbnail_rules::kSize);
        pixmap.fill(QColor(64, 64, 64));
        QPainter painter(&pixmap);
        painter.setPen(QColor(200, 200, 200));
        painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
        painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("No Image"));
        return pixmap;
    }();
    return picture;
}
