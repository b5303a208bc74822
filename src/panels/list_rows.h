#pragma once

#include <QStringList>

class QListWidget;

namespace list_rows
{

// Appends one row per text to list in one insertion and gives the first new
// row.  Rows made one at a time with QListWidgetItem(text, list) cost a
// search through the whole list each (the item looks itself up while its
// text is set), so a list of n rows took time in n squared: a folder of
// 100,000 files held the window for seconds.
int append(QListWidget *list, const QStringList &texts);

} // namespace list_rows
