#pragma once

class QListWidget;

// Moving the current entry of a list the way the program's lists do it: the
// old current entry loses its selection, the new one becomes selected and
// current.  Out-of-range rows are ignored.
namespace list_selection
{

void moveCurrent(QListWidget *list, int row);
// Scrolls so that `row` is the list's top line.
void scrollToTop(QListWidget *list, int row);
// The current row, -1 when there is none.
int currentRow(const QListWidget *list);

} // namespace list_selection
