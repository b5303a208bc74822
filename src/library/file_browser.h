#pragma once

#include "base/play_source.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class CMovie;
class FileManager;
class ListPanel;
class MainWindow;
class OpenAndPlay;
class QComboBox;
class QListWidget;
class QMenu;
class QMimeData;

// The file page: the drive list `Drive1`, the folder list `Dir1` (both in the
// folder frame `directory`) and the file list `File` with the movie files of
// the current folder.  It also owns play_selection and rename_selection, which
// act on whichever page is shown.
class FileBrowser : public QObject
{
    Q_OBJECT
public:
    // What the browser asks of parts that are not its own.  Unset hooks are
    // skipped.
    struct Hooks {
        // Stops playback the way the stop command does (before a rename of the
        // playing file).
        std::function<void()> stop;
        // The play source of the page shown (null for none): what
        // play_selection plays.
        ActivePlaySource activeSource = nullptr;
        // F2 on the favourites page.
        std::function<void()> renameFavourite = nullptr;
        // Fills the scene submenu `m_seen_load_file` for a file when the
        // context menu opens.
        std::function<void(const QString &path, QMenu *menu)> buildSceneMenu = nullptr;
        // A file was renamed; wasLoaded: it was the movie loaded.
        std::function<void(const QString &oldPath, const QString &newPath, bool wasLoaded)>
            renamed = nullptr;
    };

    FileBrowser(MainWindow &window, ListPanel &panel, CMovie &movie, OpenAndPlay &player,
                QObject *parent = nullptr);
    ~FileBrowser() override;

    void setHooks(Hooks hooks);

    // The current folder, without a trailing "/" except at the root.
    QString folder() const;
    // Points the drive, folder and file lists at folder; false when it cannot
    // be read (nothing changes then).
    bool setFolder(const QString &folder);
    // Reads the file list again from disk, away from the window's thread;
    // the list goes on as it was until the new reading replaces it.  Entries
    // still there keep their selection, and the current entry stays current.
    // A folder that has gone leaves the browser in the nearest one still
    // there; one that does not answer leaves the list as it was.
    void refresh();
    // Runs then once the file list holds the whole folder: at once, unless
    // a large folder is still being added.
    void whenListed(std::function<void()> then);
    // Whether a large folder is still being added to the file list, or a
    // refresh is under way.
    bool isListing() const;
    // Whether the list holds only the first part of a large folder, the
    // rest still being read or added.
    bool isPartlyListed() const;
    // Makes the file named name current and scrolls it to the top, once it
    // is listed.
    void bringToTop(const QString &name);
    // The file the list's play cursor is while the folder is still being
    // listed, wherever that file will be: the name bringToTop waits to make
    // current, or else, with no entry current, the movie loaded if it is
    // one of the folder's; "" when none.
    QString waitingCursor() const;
    // Takes a step through the file list again once its folder is listed:
    // from the waiting cursor, or else from the movie playing if it is one
    // of the folder's.
    void stepWhenListed(PlaySource::Direction direction);
    // addbackslash(folder) + the entry's name; "" for a row out of range.
    QString fullPath(int row) const;

    QListWidget *fileList() const;
    // The file list as a play source.
    PlaySource &playSource() const;
    QMenu *fileMenu() const;
    // The submenus "ディレクトリ移動" and "ディレクトリ編集" of the file menu,
    // which the registered folders fill.
    QMenu *folderJumpMenu() const;
    QMenu *folderEditMenu() const;
    QComboBox *driveList() const;
    QListWidget *folderList() const;
    FileManager &fileManager() const;

    void play_selection();
    void rename_selection();
    // Shows the folder frame when hidden, hides it when shown (F4).
    void toggleDirectory();

    // What a movie dropped on the file list or the video area does: the
    // browser moves to its folder, plays it and puts its entry at the top.
    // False when path is not a movie that could be shown.
    bool openDroppedMovie(const QString &path);
    // Full paths of the selected files, in list order.
    QStringList selectedPaths() const;
    // The file data a drag out of the file list carries: the selected files.
    QMimeData *selectionMimeData() const;

    // Whether the list shows mp4, mkv and the other types besides the six:
    // the option as it is now.  A change reads the folder again.
    void setMoreFormats(bool on);

signals:
    // "お気に入りに追加": full paths of the selected files, in list order.
    void addToFavouritesRequested(const QStringList &paths);
    // A step through the file list (forward or back) came while its folder
    // was still being listed; it is to be taken now that the list is whole.
    void stepAgainWanted(bool forward);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
