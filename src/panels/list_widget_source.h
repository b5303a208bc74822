#pragma once

#include "base/play_source.h"

class QListWidget;

// A play source shown by a list widget, one entry a row: the list's current
// row is its current entry.
class ListWidgetSource : public PlaySource
{
public:
    explicit ListWidgetSource(QListWidget *list) : list_(list) {}

    int count() const override;
    int currentIndex() const override;
    void select(int index, bool toTop) override;

protected:
    QListWidget *list_;
};
