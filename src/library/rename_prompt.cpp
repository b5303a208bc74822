#include "library/rename_prompt.h"
#include "library/library_log.h"

#include "base/native_path.h"
#include "base/path.h"
#include "base/state_file.h"
#include "window/main_window.h"

#include <QInputDialog>
#include <QMessageBox>

namespace rename_prompt
{

namespace
{

// A "/" would move the file into another folder; "." and ".." name folders;
// a NUL would cut the name short; a line break could not be kept in the
// lists' files.  None is a rename.
bool isFileName(const QString &name)
{
    return !name.contains(u'/') && !name.contains(QChar(0)) && name != u"." && name != u".." &&
           state_file::fitsOnALine(name);
}

} // namespace

std::optional<QString> askAndRename(MainWindow &window, const QString &folder,
                                    const QString &oldName, const QString &offeredName,
                                    const Hooks &hooks)
{
    const QString base = path::addbackslash(folder);
    const QString oldPath = base + oldName;

    bool ok = false;
    const QString answer =
        QInputDialog::getText(&window, QString::fromUtf8("ファイル名を変更"),
                              native_path::displayName(base) + offeredName +
                                  QString::fromUtf8("\nのファイル名を変更します。"),
                              QLineEdit::Normal, offeredName, &ok);
    // Only an Enter that closed the box leaves a release behind to swallow.
    window.swallow_enter = ok;
    if (!ok || answer.isEmpty())
        return std::nullopt;

    const QString refused = QString::fromUtf8("不正なファイル名が指定されました");
    if (!isFileName(answer)) {
        message(window, refused);
        return std::nullopt;
    }
    // Nothing is renamed over an existing entry, and nothing is said; a
    // dangling link is a name taken too.
    const QString newPath = base + answer;
    if (native_path::isTaken(newPath))
        return std::nullopt;

    if (hooks.beforeRename)
        hooks.beforeRename(oldPath);
    if (!native_path::renameNoReplace(oldPath, newPath)) {
        qCInfo(lcLibrary) << "cannot rename" << oldPath << "to" << newPath;
        message(window, refused);
        return std::nullopt;
    }
    if (hooks.afterRename)
        hooks.afterRename(oldPath, newPath);
    return answer;
}

QMessageBox *notice(MainWindow &window, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Sazanami"), text,
                                QMessageBox::Ok, &window);
    box->setObjectName("notice");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    return box;
}

void message(MainWindow &window, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Sazanami"), text, QMessageBox::Ok,
                    &window);
    box.exec();
}

} // namespace rename_prompt
