#include "library/rename_prompt.h"
#include "library/library_log.h"

#include "base/file_rename.h"
#include "base/path.h"
#include "window/main_window.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace rename_prompt
{

std::optional<QString> askAndRename(MainWindow &window, const QString &folder,
                                    const QString &oldName, const Hooks &hooks)
{
    const QString base = path::addbackslash(folder);
    const QString oldPath = base + oldName;

    if (hooks.leaveTopLayer)
        hooks.leaveTopLayer();
    bool ok = false;
    const QString answer =
        QInputDialog::getText(&window, QString::fromUtf8("ファイル名を変更"),
                              oldPath + QString::fromUtf8("\nのファイル名を変更します。"),
                              QLineEdit::Normal, oldName, &ok);
    // Only an Enter that closed the box leaves a release behind to swallow.
    window.swallow_enter = ok;
    if (hooks.restoreTopLayer)
        hooks.restoreTopLayer();
    if (!ok || answer.isEmpty() || answer == oldName)
        return std::nullopt;

    const QString refused = QString::fromUtf8("不正なファイル名が指定されました");
    if (!file_rename::isAcceptableName(answer)) {
        message(window, refused);
        return std::nullopt;
    }
    // Nothing is renamed over an existing entry, and nothing is said.
    // (QFileInfo::exists is false for a dangling link, which is still a
    // name taken.)
    const QString newPath = base + answer;
    const QFileInfo target(newPath);
    if (target.exists() || target.isSymLink())
        return std::nullopt;

    if (hooks.beforeRename)
        hooks.beforeRename(oldPath);
    if (!file_rename::renameNoReplace(oldPath, newPath)) {
        qCInfo(lcLibrary) << "cannot rename" << oldPath << "to" << newPath;
        if (!QFileInfo(newPath).exists())
            message(window, refused);
        return std::nullopt;
    }
    return answer;
}

void message(MainWindow &window, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Sazanami"), text, QMessageBox::Ok,
                    &window);
    box.exec();
}

} // namespace rename_prompt
