#include "panels/list_widget_source.h"

#include "panels/list_selection.h"

int ListWidgetSource::count() const
{
    return list_selection::rowCount(list_);
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
