#include "panels/list_rows.h"

#include <QListWidget>

namespace list_rows
{

int append(QListWidget *list, const QStringList &texts)
{
    const int first = list->count();
    list->addItems(texts);
    return first;
}

} // namespace list_rows
