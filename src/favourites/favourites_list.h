#pragma once

#include "favourites/favourites_store.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class CMovie;
class FavouritesModel;
class ListPanel;
class MainWindow;
class OkiniView;
class OpenAndPlay;
class PlaySource;
class QMenu;
class QMimeData;
class QProgressBar;
class QPushButton;
class ThumbnailGrabs;

// The favourites page: the list `List_okini` with its thumbnails, kept in
// okini.ini and exchanged as M3U playlists through FavouritesStore, the
// context menu "お気に入り", adding, deleting, moving and renaming favourites,
// frame capture and the thumbnail picker.
// Positions in this interface are 1-based, 0 meaning none.
class FavouritesList : public QObject
{
    Q_OBJECT
public:
    // What the favourites ask of parts that are not their own.  Unset hooks
    // are skipped.
    struct Hooks {
        // Stops playback the way the stop command does.
        std::function<void()> stop;
        std::function<void()> focusVideo;
        // Fills the scene submenu `m_seen_load_okini` for a favourite.
        std::function<void(const QString &path, QMenu *menu)> buildSceneMenu;
        // The information entry: opens the file page's folder.
        std::function<void()> showFolder;
        // The full paths of the selected search results, in list order.
        std::function<QStringList()> selectedSearchResults;
        // The relative-paths option and the image-folder option.
        std::function<bool()> relativePaths;
        std::function<bool()> imageBesideMovie;
        // A favourite's file was renamed; wasLoaded: it was the movie loaded.
        std::function<void(const QString &oldPath, const QString &newPath, bool wasLoaded)> renamed;
        // mp4, mkv and the other types count besides the six.
        std::function<bool()> moreFormats;
    };

    using Missing = FavouritesStore::Missing;

    FavouritesList(MainWindow &window, ListPanel &panel, CMovie &movie, OpenAndPlay &player,
                   QObject *parent = nullptr);
    ~FavouritesList() override;

    void setHooks(Hooks hooks);
    // The program folder: okini.ini, the default image folder and where the
    // dialogs start.
    void setProgramFolder(const QString &folder);
    QString okiniPath() const;
    const FavouritesStore &store() const;

    int count() const;
    // Entries read or dropped are still being added to the list, in pieces.
    bool isAdding() const;
    OkiniView *view() const;
    FavouritesModel &model() const;
    QMenu *menu() const;
    PlaySource &playSource() const;
    ThumbnailGrabs &grabs() const;

    // load_okini appends the entries of a list file and returns how many (0
    // when there is no file, -1 when it is there but cannot be read);
    // save_okini writes the whole list (false on failure).
    int load_okini(const QString &path, Missing missing);
    bool save_okini(const QString &path);
    // The list as it is saved: the entries shown, then those still waiting
    // to be added, in order.
    FavouritesStore::Entries entries() const;

    void add_okini(const QString &folder, const QString &name);
    void remove_okini(int position);
    void delete_selected_okini();
    void delete_all_okini();
    void refresh_okini(int position);
    int get_okini_index() const;
    // The favourite last opened from the favourites page (`okini_index`).
    int okini_index() const;
    // play_file was asked for a movie: while the favourites page is shown it
    // is the selected favourite.
    void noteMovieRequested();
    void select_okini(int position);
    void moveFavourite(int from, int to);
    // Adds a movie unless it is a favourite already; false when not added.
    bool addPath(const QString &fullPath);
    // Adds the files chosen on the file page or the search page in their
    // list order, duplicates left out.
    void addSelection(const QStringList &paths);
    // The selected results of the search page.
    void addSearchSelection();
    // The video menu's add: the movie loaded, unless a favourite already.
    void addLoadedMovie();
    // A drop of files, folders or M3U playlists on the list or the tabs.
    void dropData(const QMimeData *data);
    // true: the thumbnail grid; false: the two-column report.
    void setViewMode(bool thumbnails);

    // M3U: import replaces the list (only when the playlist yields entries),
    // export writes it.  The dialog versions ask for the file first.
    bool importM3u(const QString &path);
    bool exportM3u(const QString &path);
    void importM3uDialog();
    void exportM3uDialog();

    // The thumbnail file a movie shows as a favourite; "" when it is no
    // favourite or shows the placeholder.
    QString thumbnailFileOf(const QString &moviePath) const;

    // Asks whether a favourite whose movie is gone is removed.
    void ask_remove_missing(const QString &path);
    // Renames the selected favourite's movie (F2).
    void rename();
    // Replaces the playing favourite's thumbnail with the current frame.
    void capture();
    // The thumbnail picker `Form_OpenImage` for the selected favourite.
    void openPicker();
    // Closes the picker if it is open (shut-down).
    void closePicker();

    // The folder the picker last showed; kept in config.ini.
    QString OpenImagePath;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
