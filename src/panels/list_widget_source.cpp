#include "panels/list_widget_source.h"

#include "base/native_path.h"
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

void SearchResultsSource::appendRows(QListWidget *list, const QStringList &folders,
                                     const QStringList &names)
{
    // One insertion for the batch (see the file page's list).
    const int first = list->count();
    list->addItems(native_path::displayNames(names));
    for (int i = 0; i < names.size(); ++i) {
        QListWidgetItem *item = list->item(first + i);
        item->setData(Qt::UserRole, folders.value(i));
        if (native_path::hasForeignBytes(names[i]))
            item->setData(kNameRole, names[i]);
    }
}

QString SearchResultsSource::folderOf(const QListWidgetItem *item)
{
    return item->data(Qt::UserRole).toString();
}

QString SearchResultsSource::nameOf(const QListWidgetItem *item)
{
    const QVariant exact = item->data(kNameRole);
    return exact.isValid() ? exact.toString() : item->text();
}

QString SearchResultsSource::pathAt(int index) const
{
    if (index < 0 || index >= list_->count())
        return QString();
    const QListWidgetItem *item = list_->item(index);
    return folderOf(item) + nameOf(item);
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
