#pragma once

#include "base/folder_slots.h"

#include <QObject>
#include <QString>
#include <array>

class FileBrowser;
class MainWindow;
class QAction;
class QMenu;

// The registered folders in the file list's menu: jump to one (`m_jmpDir`),
// register the browser's folder into a slot (`m_regDir`), rename (`m_renDir`)
// and delete (`m_delDir`) one; kept in dir.ini, written at shut-down.
class RegisteredFolders : public QObject
{
    Q_OBJECT
public:
    RegisteredFolders(MainWindow &window, FileBrowser &browser, const QString &programFolder,
                      QObject *parent = nullptr);

    void load_dirs();
    bool save_dirs(bool relative) const;
    QString statePath() const { return programFolder_ + "dir.ini"; }

    void registerSlot(int n);
    void jumpTo(int n);
    void renameSlot(int n);
    void deleteSlot(int n);

    QMenu *m_reg_directory = nullptr;
    QMenu *m_ren_directory = nullptr;
    QMenu *m_del_directory = nullptr;
    std::array<QAction *, FolderSlots::kCount> m_jmpDir{};
    std::array<QAction *, FolderSlots::kCount> m_regDir{};
    std::array<QAction *, FolderSlots::kCount> m_renDir{};
    std::array<QAction *, FolderSlots::kCount> m_delDir{};

private:
    void showSlot(int n);
    void enableParents();

    MainWindow &window_;
    FileBrowser &browser_;
    QString programFolder_;
    FolderSlots slots_;
    QMenu *jumpMenu_ = nullptr;
};
