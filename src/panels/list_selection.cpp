#include "panels/list_selection.h"

#include <QListWidget>

namespace list_selection
{

void moveCurrent(QListWidget *list, int row)
{
    if (!list || row < 0 || row >= list->count())
        return;
    if (QListWidgetItem *old = list->currentItem())
        old->setSelected(false);
    list->setCurrentRow(row, QItemSelectionModel::NoUpdate);
    list->item(row)->setSelected(true);
}

void scrollToTop(QListWidget *list, int row)
{
    if (!list || row < 0 || row >= list->count())
        return;
    list->scrollToItem(list->item(row), QAbstractItemView::PositionAtTop);
}

int currentRow(const QListWidget *list)
{
    return list ? list->currentRow() : -1;
}

} // namespace list_selection
