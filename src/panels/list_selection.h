#pragma once

class QAbstractItemView;

// Moving the current entry of a list the way the program's lists do it: the
// old current entry loses its selection, the new one becomes selected and
// current.  Out-of-range rows are ignored.  For list widgets and for list
// views over a model alike, one entry a row.
namespace list_selection
{

void moveCurrent(QAbstractItemView *list, int row);
// Scrolls so that `row` is the list's top line.
void scrollToTop(QAbstractItemView *list, int row);
// The current row, -1 when there is none.
int currentRow(const QAbstractItemView *list);
// The number of rows, 0 for a list without a model.
int rowCount(const QAbstractItemView *list);

} // namespace list_selection
