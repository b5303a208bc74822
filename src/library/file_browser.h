#pragma once

#include <QObject>
#include <QString>
#include <functional>

class CMovie;
class ListPanel;
class MainWindow;
class OpenAndPlay;
class QComboBox;
class QListWidget;
class QMenu;

// The file page: the drive list `Drive1`, the folder list `Dir1` (both in the
// folder frame `directory`) and the file list `File` with the movie files of
// the current folder.  It also owns play_selection and rename_selection, which
// act on whichever page is shown.
class FileBrowser : public QObject
{
    Q_OBJECT
public:
    // What the browser asks of parts that are not its own.
    struct Hooks {
        // Stops playback the way the stop command does (before a rename of the
        // playing file).
        std::function<void()> stop;
    };

    FileBrowser(MainWindow &window, ListPanel &panel, CMovie &movie, OpenAndPlay &player,
                QObject *parent = nullptr);

    void setHooks(Hooks hooks);

    // The current folder, without a trailing "/" except at the root.
    QString folder() const;
    // Points the drive, folder and file lists at folder; false when it cannot
    // be read (nothing changes then).
    bool setFolder(const QString &folder);
    // Reads the file list again from disk.
    void refresh();
    // addbackslash(folder) + the entry's name; "" for a row out of range.
    QString fullPath(int row) const;

    QListWidget *fileList() const;
    QMenu *fileMenu() const;

    void play_selection();
    void rename_selection();
    // Shows the folder frame when hidden, hides it when shown (F4).
    void toggleDirectory();

    // The file pattern of the list, matched without regard to case.
    static const char *const kPattern;

signals:
    // Keys pressed in the lists go on to the window's key handling.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);

private:
    struct Private;
    Private *d;
};
