#include "search/search_results_source.h"

#include "search/search_results.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <algorithm>

int SearchResultsSource::count() const
{
    return results_.count();
}

QString SearchResultsSource::pathAt(int index) const
{
    return results_.pathAt(index);
}

QStringList SearchResultsSource::selectedPaths() const
{
    QList<int> rows;
    for (const QModelIndex &index : list_->selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList paths;
    paths.reserve(rows.size());
    for (int row : rows) {
        if (row < results_.count())
            paths.append(results_.pathAt(row));
    }
    return paths;
}

QString SearchResultsSource::selectedPath() const
{
    const int current = currentIndex();
    return pathAt(current > 0 ? current : 0);
}
