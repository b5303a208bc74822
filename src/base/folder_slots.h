#pragma once

#include <QString>
#include <array>

// The ten registered folders of the file list's menu and their file dir.ini:
// per slot a caption and a folder (empty for a free slot).  A slot read from
// the file shows its delete entry as caption + " 登録削除", one registered in
// this run as caption + " の登録削除".
class FolderSlots
{
public:
    static constexpr int kCount = 10;

    struct Slot {
        QString caption;
        QString folder;
        bool fromFile = false;
    };

    FolderSlots();

    // "[n] -----------".
    static QString freeCaption(int n);
    // "[n]" followed by the folder's last name; "/" for the root.
    static QString registeredCaption(int n, const QString &folder);

    const Slot &at(int n) const { return slots_.at(n); }
    bool isRegistered(int n) const { return !slots_.at(n).folder.isEmpty(); }
    bool anyRegistered() const;

    // The captions of the four menus' entries of slot n.
    QString jumpCaption(int n) const;
    QString registerCaption(int n) const;
    QString renameCaption(int n) const;
    QString deleteCaption(int n) const;

    // Out-of-range slots are ignored.
    void registerFolder(int n, const QString &folder);
    // An empty caption changes nothing.
    void rename(int n, const QString &caption);
    void remove(int n);

    // Reads the file: slot by slot until a record is missing or damaged; the
    // slots read keep their values.  True when all ten were read.
    bool load(const QString &path, const QString &programFolder);
    // Folders below the program folder are written relative to it when
    // relative is set; a free slot keeps its empty folder.
    bool save(const QString &path, const QString &programFolder, bool relative) const;

private:
    std::array<Slot, kCount> slots_;
};
