#include "panels/list_selection.h"

#include "base/selection_info.h"

#include <QAbstractItemView>
#include <utility>

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

void selectForMenu(QAbstractItemView *list, int row)
{
    const QModelIndex index = indexOf(list, row);
    if (!index.isValid() || list->selectionModel()->isSelected(index))
        return;
    list->clearSelection();
    moveCurrent(list, row);
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

void ToggleClicks::press(int row)
{
    down_ = true;
    afterDoubleClick_ = false;
    const QModelIndex index = indexOf(list_, row);
    pressRow_ = index.isValid() ? row : -1;
    if (pressRow_ < 0)
        return;
    QItemSelectionModel *selection = list_->selectionModel();
    pressedWasSelected_ = selection->isSelected(index);
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    if (!pressedWasSelected_)
        selection->select(index, QItemSelectionModel::Select);
}

bool ToggleClicks::release(int row)
{
    if (!down_)
        return false;
    down_ = false;
    const int pressed = std::exchange(pressRow_, -1);
    if (std::exchange(afterDoubleClick_, false))
        return false;
    // The list may have been filled anew while the button was down.
    const QModelIndex index = indexOf(list_, pressed);
    if (!index.isValid())
        return false;
    QItemSelectionModel *selection = list_->selectionModel();
    // The press's toggle of an entry that was selected, held back until it
    // was clear that no drag followed.
    if (pressedWasSelected_)
        selection->select(index, QItemSelectionModel::Deselect);
    for (int k : selection_info::rangeToggleRows(pressed, row < rowCount(list_) ? row : -1))
        selection->select(indexOf(list_, k), QItemSelectionModel::Toggle);
    return true;
}

void ToggleClicks::doubleClick(int row)
{
    down_ = true;
    afterDoubleClick_ = true;
    const QModelIndex index = indexOf(list_, row);
    if (!index.isValid())
        return;
    list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    list_->selectionModel()->select(index, QItemSelectionModel::Select);
}

void ToggleClicks::cancel()
{
    down_ = false;
    pressRow_ = -1;
}

} // namespace list_selection
