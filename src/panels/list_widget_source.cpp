#include "panels/list_widget_source.h"

#include "panels/list_selection.h"

#include <QListWidget>

int ListWidgetSource::count() const
{
    return list_->count();
}

int ListWidgetSource::currentIndex() const
{
    return list_selection::currentRow(list_);
}

void ListWidgetSource::select(int index, bool toTop)
{
    list_selection::moveCurrent(list_, index);
    if (toTop)
        list_selection::scrollToTop(list_, index);
}

QString SearchResultsSource::pathAt(int index) const
{
    if (index < 0 || index >= list_->count())
        return QString();
    const QListWidgetItem *item = list_->item(index);
    return item->data(Qt::UserRole).toString() + item->text();
}

QStringList SearchResultsSource::selectedPaths() const
{
    QStringList paths;
    for (int row = 0; row < list_->count(); ++row)
        if (list_->item(row)->isSelected())
            paths.append(pathAt(row));
    return paths;
}

QString SearchResultsSource::selectedPath() const
{
    const int current = currentIndex();
    return pathAt(current > 0 ? current : 0);
}
