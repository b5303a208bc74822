#pragma once

#include "panels/list_widget_source.h"

#include <QStringList>

class SearchResults;

// The search results as a play source: its entries are the results, its
// current and selected entries those of the list `List_Find` showing them.
class SearchResultsSource final : public ListWidgetSource
{
public:
    SearchResultsSource(const SearchResults &results, QAbstractItemView *list)
        : ListWidgetSource(list), results_(results)
    {
    }

    int count() const override;
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

private:
    const SearchResults &results_;
};
