#include "window/named_menu.h"

#include <QAction>
#include <QMenu>

namespace named_menu
{

QAction *addEntry(QMenu *menu, const char *name, const char *caption)
{
    QAction *action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    return action;
}

QMenu *addSubmenu(QMenu *menu, const char *name, const char *caption)
{
    QMenu *submenu = menu->addMenu(QString::fromUtf8(caption));
    submenu->setObjectName(name);
    return submenu;
}

} // namespace named_menu
