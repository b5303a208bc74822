#pragma once

// The inside of FileBrowser, shared by its two source files: file_browser.cpp
// (folders, playing, renaming, the menu) and file_browser_events.cpp (mouse,
// keys, tooltips, drag and drop).

#include "base/folder_reader.h"
#include "base/name_pattern.h"
#include "library/file_browser.h"
#include "library/file_list_source.h"
#include "panels/list_selection.h"

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QTimer;
class QDropEvent;
class QMessageBox;
class QWidget;

struct FileBrowser::Private {
    Private(FileBrowser &q, MainWindow &window, ListPanel &panel, CMovie &movie,
            OpenAndPlay &player);

    // Folders and drives.
    // Fills the drive list and shows the drive of the folder shown.
    void fillDrives();
    // The mounted volumes and root, whether mounted or not.
    void fillDrivesWith(const QString &root);
    void showDriveOf(const QString &folder);
    void selectDrive(const QString &root);
    void driveChosen(int index);
    void goToParent();
    // Lists the folder's subfolders and files: a small folder at once (few:
    // what was read of it), a large one read on a thread of its own and its
    // files then added in pieces from the event loop, so the window never
    // waits for it.
    void listFiles(const QString &folder, std::optional<folder_reader::Contents> few);
    void showFiles(const QStringList &names);
    void appendRows(const QStringList &names);

    // F5: the folder is read again on threads of its own, while the list
    // goes on showing (and playing through) what it showed; then only what
    // changed is taken out and put in, so the entries that stay keep their
    // selection and the current entry.
    void startRefresh();
    void refreshAnswered(quint64 ticket, const std::optional<QString> &readable);
    void readAgain(quint64 ticket);
    void applyChanges(QList<folder_reader::Hunk> hunks);
    // Applies the next part of the changes; false once all are in.
    bool applyPiece();
    void refreshDone();
    // The folder did not answer: the list stays as it was.
    void noAnswer();
    // Whether the rows are a folder's first part, the rest still to come.
    bool isPartial() const;
    // The name of the movie loaded when it is one of the folder's, else "".
    QString loadedName() const;
    // Adds the next piece of a large folder's names; false once all are in.
    // A large folder's reading, polled: its first screen, then the whole.
    void takeWhatWasRead();
    bool addPiece();
    void filled();

    // The entry the menu's single-file commands act on: the selected one
    // when exactly one is selected, otherwise the current one.
    int targetRow() const;
    QList<int> selectedRows() const;
    QStringList selectedPaths() const;

    void buildMenu();
    // Counts and sizes the selection and sets the menu up for it.
    void prepareMenu();
    void showMenuAt(const QPoint &viewportPos, const QPoint &globalPos);
    void playRow(int row);
    void renameRow(int row);
    void message(const QString &text);

    // Mouse, keys and drops (file_browser_events.cpp).
    bool fileViewportEvent(QEvent *event);
    bool folderListEvent(QObject *watched, QEvent *event);
    bool displayEvent(QEvent *event);
    bool openDrop(QDropEvent *drop);
    bool windowEvent(QEvent *event);
    bool overControlWithoutDrops(const QPointF &windowPos) const;
    QString longNameTip(const QPoint &viewportPos) const;
    void startDragOut();
    bool isOwnDrag(const QEvent *event) const;

    FileBrowser &q;
    MainWindow &window;
    ListPanel &panel;
    CMovie &movie;
    OpenAndPlay &player;
    Hooks hooks;
    NamePattern pattern;
    bool moreFormats = false;
    QString folder;
    // The drive the drive list shows as current.
    QString shownDrive;

    QWidget *directory = nullptr;
    QComboBox *drives = nullptr;
    QListWidget *folders = nullptr;
    QListWidget *files = nullptr;
    FileManager *fileManager = nullptr;
    std::unique_ptr<FileListSource> source;

    // A large folder on its way into the list: its names as read (on the
    // reading thread, then here) and those not yet added.  The number tells
    // a reading that still counts from one a later folder replaced.
    struct Reading;
    std::shared_ptr<Reading> reading;
    // Each listing and refresh has its number; answers to an earlier one
    // are dropped.
    quint64 ticket = 0;
    // A refresh is under way: reading, or applying its changes.
    bool refreshing = false;
    QTimer *changing = nullptr;
    // The changes not yet applied, the last first, and how far the last one
    // has come.
    QList<folder_reader::Hunk> hunks;
    qsizetype hunkInserted = 0;
    QPointer<QMessageBox> noAnswerNotice;
    // The names of the rows as on disk, row for row.
    QStringList listedNames;
    // The entry to become current once listed (bringToTop while the folder
    // is still being listed); "" when none is waiting.
    QString waitingCursor;
    // The rows are being changed here, not by the user.
    bool changingRows = false;
    QTimer *readingPoll = nullptr;
    QTimer *pieces = nullptr;
    QStringList pending;
    qsizetype pendingNext = 0;
    // The first rows of a large folder, shown before it was all read.
    QStringList firstShown;
    // What waits for the whole folder to be listed.
    QList<std::function<void()>> whenListed;

    QMenu *menu = nullptr;
    QAction *openDirectory = nullptr;
    QMenu *jumpMenu = nullptr;
    QMenu *editMenu = nullptr;
    QAction *filePlay = nullptr;
    QMenu *sceneMenu = nullptr;
    QAction *addOkini = nullptr;
    QAction *rename = nullptr;
    QAction *properties = nullptr;
    QAction *info = nullptr;

    // The left button's way through the file list.
    std::unique_ptr<list_selection::ToggleClicks> clicks;
    bool draggingOut = false;
};
