#pragma once

#include "favourites/favourites_list.h"
#include "favourites/favourites_model.h"
#include "favourites/favourites_source.h"
#include "favourites/thumbnail_grabs.h"

#include <QPointer>
#include <QSet>

class QAction;
class QTimer;
class ImagePicker;

struct FavouritesList::Private {
    Private(FavouritesList &q, MainWindow &window, ListPanel &panel, CMovie &movie,
            OpenAndPlay &player);

    FavouritesList &q;
    MainWindow &window;
    ListPanel &panel;
    CMovie &movie;
    OpenAndPlay &player;
    Hooks hooks;
    QString programFolder;
    FavouritesStore store;
    // `okini_index`: the position of the favourite opened last from the
    // favourites page (1-based; 0 for none), which frame capture works on.
    int okiniIndex = 0;
    // Whether a thumbnail refused for an unsafe image folder was told.
    bool refusalTold = false;

    FavouritesModel model;
    OkiniView *view;
    ThumbnailGrabs grabs;
    FavouritesSource source;
    QProgressBar *AddMeter;
    QPushButton *bt_msg_add;
    QPointer<ImagePicker> picker;

    QMenu *menu = nullptr;
    QMenu *sceneMenu = nullptr;
    QAction *play = nullptr;
    QAction *renameAction = nullptr;
    QAction *deleteAction = nullptr;
    QAction *selectImage = nullptr;
    QAction *changeView = nullptr;
    QAction *deleteAll = nullptr;
    QAction *openM3u = nullptr;
    QAction *saveM3u = nullptr;
    QAction *info = nullptr;

    void buildMenu();
    void prepareMenu();
    void connectView();
    QString thumbnailOf(const QString &folder, const QString &name) const;
    FavouritesModel::Entry makeEntry(const QString &folder, const QString &name, bool markMissing);
    // Adds entries at the end: the first screenful at once, the rest in
    // pieces from the event loop (each looks its movie and thumbnail up on
    // disk), so that thousands added at once never hold up the window.
    void append(const QList<list_file::Entry> &entries, bool markMissing);
    // Adds up to `most` waiting entries, within a time budget when `timed`.
    void addWaiting(qsizetype most, bool timed);
    struct Waiting {
        list_file::Entry entry;
        bool markMissing = false;
    };
    // Entries given to append and not yet in the model, in order.  They
    // count as favourites already for saving and for the duplicate check.
    QList<Waiting> waiting;
    qsizetype waitingNext = 0;
    QTimer *addPieces = nullptr;
    QSet<QString> paths() const;
    QList<int> selectedRows() const;
    // The row of the entry with this path, preferring `hint`; -1 when none.
    int rowOf(const QString &path, int hint) const;
    void showProgress(const QString &name);
    void updateProgress();
    void placeProgress();
    void clicked();
    void doubleClicked();
    void playRow(int row);
    void acceptDrops(bool on);
    // Entries for the paths that are movie files and not favourites yet, in
    // the order given; known takes them in.
    // Names with a line break are counted in lineBreaksRefused instead.
    QList<list_file::Entry> newEntries(const QStringList &paths, QSet<QString> &known);
    QList<list_file::Entry> folderEntries(const QString &folder, QSet<QString> &known);
    // Names with a line break, which okini.ini cannot keep, left out of the
    // addition under way; tellRefused() says so once and starts anew.
    int lineBreaksRefused = 0;
    void refuseLineBreaks(int count);
    void tellRefused();
    bool askYesNo(const QString &title, const QString &text);
    void message(const QString &text);
    void notice(const QString &text);
    bool relative() const { return hooks.relativePaths && hooks.relativePaths(); }
    bool moreFormats() const { return hooks.moreFormats && hooks.moreFormats(); }
};
