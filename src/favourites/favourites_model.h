#pragma once

#include "base/list_file.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QList>
#include <QPixmap>

// The favourites as the list shows them: column 0 the file name with its
// thumbnail, column 1 the folder with its trailing "/".  Thumbnails are read
// from their files when an entry is first shown and kept in a bounded cache,
// so thousands of entries load quickly and take little memory; the picture of
// an entry is always that of its thumbnail file, or the placeholder.
class FavouritesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Entry {
        QString folder;
        QString name;
        // The thumbnail file it shows; "" shows the placeholder.
        QString thumbnail;
        // The movie was not there when the entry was loaded (a disk not
        // mounted): shown greyed with the placeholder, kept in the list.
        bool missing = false;
        QString path() const { return folder + name; }
    };

    explicit FavouritesModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;

    int count() const { return int(entries_.size()); }
    const Entry &entry(int row) const { return entries_.at(row); }
    QList<list_file::Entry> listEntries() const;

    void append(const QList<Entry> &entries);
    void insert(int row, const Entry &entry);
    void remove(int row);
    void clear();
    void setName(int row, const QString &name);
    void setThumbnail(int row, const QString &thumbnail);
    void setMissing(int row, bool missing);
    // The thumbnail file changed on disk: entries showing it read it again
    // when they are next painted.  No change is signalled: a grab finishing
    // must not cost a pass over thousands of entries, so the view showing
    // them repaints itself.
    void forgetPicture(const QString &thumbnail);

    // The picture an entry shows.
    QPixmap picture(int row) const;
    static QPixmap placeholder();

private:
    QList<Entry> entries_;
    mutable QCache<QString, QPixmap> pictures_;
};
