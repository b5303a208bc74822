#include "panels/list_selection.h"

#include <QAbstractItemView>

namespace list_selection
{

namespace
{

QModelIndex indexOf(const QAbstractItemView *list, int row)
{
    if (!list || row < 0 || row >= rowCount(list))
        return QModelIndex();
    return list->model()->index(row, 0, list->rootIndex());
}

} // namespace

void moveCurrent(QAbstractItemView *list, int row)
{
    const QModelIndex index = indexOf(list, row);
    if (!index.isValid())
        return;
    QItemSelectionModel *selection = list->selectionModel();
    const QModelIndex old = list->currentIndex();
    if (old.isValid())
        selection->select(old, QItemSelectionModel::Deselect);
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    selection->select(index, QItemSelectionModel::Select);
}

void scrollToTop(QAbstractItemView *list, int row)
{
    const QModelIndex index = indexOf(list, row);
    if (index.isValid())
        list->scrollTo(index, QAbstractItemView::PositionAtTop);
}

int currentRow(const QAbstractItemView *list)
{
    return list ? list->currentIndex().row() : -1;
}

int rowCount(const QAbstractItemView *list)
{
    return list && list->model() ? list->model()->rowCount(list->rootIndex()) : 0;
}

} // namespace list_selection
