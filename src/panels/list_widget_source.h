#pragma once

#include "base/play_source.h"

#include <QStringList>

class QListWidget;
class QListWidgetItem;

// A play source over a list widget whose rows are its entries.
class ListWidgetSource : public PlaySource
{
public:
    explicit ListWidgetSource(QListWidget *list) : list_(list) {}

    int count() const override;
    int currentIndex() const override;
    void select(int index, bool toTop) override;

protected:
    QListWidget *list_;
};

// The search results `List_Find`: each row shows a file name and keeps its
// folder, with the trailing "/", as its user data.  A name whose bytes are
// not UTF-8 shows as it reads and keeps its exact form as kNameRole.
class SearchResultsSource final : public ListWidgetSource
{
public:
    using ListWidgetSource::ListWidgetSource;

    static constexpr int kNameRole = Qt::UserRole + 1;
    // Appends rows for names found in folders (pairs by index) in one
    // insertion, which is much quicker than one at a time for long lists.
    static void appendRows(QListWidget *list, const QStringList &folders, const QStringList &names);
    static QString folderOf(const QListWidgetItem *item);
    // The name as the file system has it.
    static QString nameOf(const QListWidgetItem *item);

    QString pathAt(int index) const override;
    // Going forward the movie is not stopped first, so a paused movie that
    // comes up again goes on where it was; going back restarts it.
    bool stopsBeforeStep(Direction direction) const override
    {
        return direction == Direction::Previous;
    }
    // The current result, or the first when none is current.
    QString selectedPath() const override;
    // Full paths of the selected results, in list order.
    QStringList selectedPaths() const;
};
