#pragma once

#include "base/play_source.h"

class QAbstractItemView;

// A play source shown by a list (a list widget, or a list view over its
// model), one entry a row: the list's current row is its current entry.
class ListWidgetSource : public PlaySource
{
public:
    explicit ListWidgetSource(QAbstractItemView *list) : list_(list) {}

    int count() const override;
    int currentIndex() const override;
    void select(int index, bool toTop) override;

protected:
    QAbstractItemView *list_;
};
