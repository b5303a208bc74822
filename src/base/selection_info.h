#pragma once

#include <QList>
#include <QString>

// Texts and rules shared by the context menus of the file list, the
// favourites and the search results.  No widgets here.
namespace selection_info
{

// The size of a selection: "###,###,###" with "Byte", or whole megabytes
// ("MByte") once the figure has more than seven characters.  0 gives "Byte".
QString sizeText(double bytes);

// The menu's information entry for n selected entries: "" for none, the size
// text for one, and for more the size text, " - ", n and "個のファイル".
QString infoCaption(int selected, double bytes);
// The favourites menu's information entry: the count comes first, as in
// "3個のファイル - 12MByte".
QString favouritesInfoCaption(int selected, double bytes);

// Rows whose selection a left-button drag from `current` to `under` inverts:
// from `under` towards `current`, not including `current`.  Empty when either
// is not a row or they are the same.
QList<int> rangeToggleRows(int current, int under);

} // namespace selection_info
