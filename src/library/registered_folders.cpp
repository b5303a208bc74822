#include "library/registered_folders.h"

#include "base/native_path.h"
#include "base/state_file.h"
#include "library/file_browser.h"
#include "library/library_log.h"
#include "library/rename_prompt.h"
#include "window/main_window.h"
#include "window/named_menu.h"

#include <QInputDialog>
#include <QMenu>

RegisteredFolders::RegisteredFolders(MainWindow &window, FileBrowser &browser,
                                     const QString &programFolder, QObject *parent)
    : QObject(parent), window_(window), browser_(browser), programFolder_(programFolder)
{
    jumpMenu_ = browser_.folderJumpMenu();
    QMenu *editMenu = browser_.folderEditMenu();
    const auto submenu = [editMenu](const char *name, const char *caption) {
        return named_menu::addSubmenu(editMenu, name, caption);
    };
    m_reg_directory = submenu("m_reg_directory", "ディレクトリ登録");
    m_ren_directory = submenu("m_ren_directory", "登録名変更");
    m_del_directory = submenu("m_del_directory", "登録削除");

    const auto fill = [this](QMenu *menu, const char *name, auto &actions,
                             void (RegisteredFolders::*act)(int)) {
        for (int n = 0; n < FolderSlots::kCount; ++n) {
            QAction *action = menu->addAction(QString());
            action->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(n));
            connect(action, &QAction::triggered, this, [this, act, n] { (this->*act)(n); });
            actions[n] = action;
        }
    };
    fill(jumpMenu_, "m_jmpDir", m_jmpDir, &RegisteredFolders::jumpTo);
    fill(m_reg_directory, "m_regDir", m_regDir, &RegisteredFolders::registerSlot);
    fill(m_ren_directory, "m_renDir", m_renDir, &RegisteredFolders::renameSlot);
    fill(m_del_directory, "m_delDir", m_delDir, &RegisteredFolders::deleteSlot);
    for (int n = 0; n < FolderSlots::kCount; ++n)
        showSlot(n);
    jumpMenu_->menuAction()->setEnabled(false);
    m_ren_directory->menuAction()->setEnabled(false);
    m_del_directory->menuAction()->setEnabled(false);
}

void RegisteredFolders::showSlot(int n)
{
    const bool registered = slots_.isRegistered(n);
    m_jmpDir[n]->setText(slots_.jumpCaption(n));
    m_regDir[n]->setText(slots_.registerCaption(n));
    m_renDir[n]->setText(slots_.renameCaption(n));
    m_delDir[n]->setText(slots_.deleteCaption(n));
    m_jmpDir[n]->setEnabled(registered);
    m_renDir[n]->setEnabled(registered);
    m_delDir[n]->setEnabled(registered);
}

void RegisteredFolders::enableParents()
{
    jumpMenu_->menuAction()->setEnabled(true);
    m_ren_directory->menuAction()->setEnabled(true);
    m_del_directory->menuAction()->setEnabled(true);
}

void RegisteredFolders::registerSlot(int n)
{
    // dir.ini keeps a folder a line: it would read back as another folder.
    if (!state_file::fitsOnALine(browser_.folder())) {
        qCInfo(lcLibrary) << "a folder with a line break is not registered:" << browser_.folder();
        rename_prompt::notice(window_, QString::fromUtf8("改行を含むフォルダ名は登録できません"));
        return;
    }
    slots_.registerFolder(n, browser_.folder());
    showSlot(n);
    enableParents();
}

// A folder that is gone, or cannot be read now, is not jumped to.
void RegisteredFolders::jumpTo(int n)
{
    const QString folder = slots_.at(n).folder;
    if (folder.isEmpty() || !native_path::isDir(folder) || !browser_.setFolder(folder))
        qCInfo(lcLibrary) << "registered folder not there:" << folder;
}

void RegisteredFolders::renameSlot(int n)
{
    const QString caption = slots_.at(n).caption;
    bool ok = false;
    const QString answer = QInputDialog::getText(
        &window_, QString::fromUtf8("ディレクトリ登録名変更"),
        caption + QString::fromUtf8("の登録名を変更します"), QLineEdit::Normal, caption, &ok);
    // Only an Enter that closed the box leaves a release behind to swallow.
    window_.swallow_enter = ok;
    if (!ok)
        return;
    slots_.rename(n, answer);
    showSlot(n);
}

void RegisteredFolders::deleteSlot(int n)
{
    slots_.remove(n);
    showSlot(n);
}

void RegisteredFolders::load_dirs()
{
    const bool complete = slots_.load(statePath(), programFolder_);
    for (int n = 0; n < FolderSlots::kCount; ++n)
        showSlot(n);
    if (complete && slots_.anyRegistered())
        enableParents();
}

bool RegisteredFolders::save_dirs(bool relative) const
{
    // A failure is logged where the file is written.
    return slots_.save(statePath(), programFolder_, relative);
}
