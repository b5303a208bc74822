#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <functional>

// The results of the last search, in the order they were found: each a
// folder, with its trailing "/", and a file name exactly as the file system
// has it.  A name whose bytes are not UTF-8 shows as it reads.
//
// The file searchData.ini keeps them across runs, one record per result: the
// folder and the name as two quoted fields.
class SearchResults : public QAbstractListModel
{
    Q_OBJECT
public:
    struct Entry {
        QString folder;
        QString name;
        QString path() const { return folder + name; }
    };

    explicit SearchResults(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // The name as shown.
    QVariant data(const QModelIndex &index, int role) const override;

    int count() const { return int(entries_.size()); }
    const Entry &entry(int row) const { return entries_.at(row); }
    // The full path of a result, "" for a row out of range.
    QString pathAt(int row) const;

    // Adds the results in one insertion, which keeps long lists quick.
    void append(const QList<Entry> &entries);
    void clear();

    // Replaces the results with those of the file, whose folders are taken
    // relative to programFolder; records without a name are left out.  False,
    // and nothing changed, when the file cannot be read.
    bool load(const QString &file, const QString &programFolder);
    // Writes the file whole; with relativeTo not empty the folders are written
    // relative to it.  False when the file could not be written.
    bool save(const QString &file, const QString &relativeTo) const;
    // What save writes, made when called: the results as they are now, to be
    // put into text on another thread while the list goes on changing.
    std::function<QByteArray()> text(const QString &relativeTo) const;

private:
    QList<Entry> entries_;
};
