#pragma once

class QAction;
class QMenu;

// Menu entries carry the program's control names as their objectName, so
// tests and tools find them by name.
namespace named_menu
{

QAction *addEntry(QMenu *menu, const char *name, const char *caption);
QMenu *addSubmenu(QMenu *menu, const char *name, const char *caption);

} // namespace named_menu
