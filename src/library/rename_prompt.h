#pragma once

#include <QString>
#include <functional>
#include <optional>

class MainWindow;
class QMessageBox;

// The rename of a file from a list: the input box "ファイル名を変更" and the
// rename on disk, shared by the file page and the favourites.
namespace rename_prompt
{

struct Hooks {
    // Runs just before the file is renamed (the playing file is let go).
    std::function<void(const QString &oldPath)> beforeRename;
    // Runs once the file has its new name.
    std::function<void(const QString &oldPath, const QString &newPath)> afterRename;
};

// Asks for a new name of folder + oldName, offering offeredName (the name as
// it reads), and renames the file.  The new name when the file was renamed; nothing when the box
// was cancelled or left empty, when a file of that name exists (silently), or when the name was
// refused or the rename failed (the user is told).  The target is fixed
// before the box opens.
std::optional<QString> askAndRename(MainWindow &window, const QString &folder,
                                    const QString &oldName, const QString &offeredName,
                                    const Hooks &hooks);

// A message box titled "Sazanami" over the window.
void message(MainWindow &window, const QString &text);
// The same box that does not wait for its answer (objectName "notice"): for
// what is told while the user goes on, such as names that were not added.
// The box closes itself when answered.
QMessageBox *notice(MainWindow &window, const QString &text);

} // namespace rename_prompt
