#pragma once

#include "playback/random_picker.h"

#include <QObject>
#include <QString>
#include <functional>

class CMovie;
class FileBrowser;
class ListPanel;
class OpenAndPlay;
class PlayMode;
class QListWidget;

// Chooses the movie after (or before) the current one in the list of the page
// shown, by the play mode, and plays it: the file list, the favourites or the
// search results.  The position timer calls play_next at the end of a movie.
class PlaySequencer : public QObject
{
    Q_OBJECT
public:
    // The favourites list answers for itself; until it is there the
    // favourites page has nothing to walk.
    struct Favourites {
        std::function<int()> count;
        // 1-based; 0 when none is selected.
        std::function<int()> get_okini_index;
        std::function<void(int)> select;
        // Folder and name of favourite k.
        std::function<QString(int)> path;
        std::function<void()> removeSelected;
    };

    PlaySequencer(CMovie &movie, ListPanel &panel, FileBrowser &browser, OpenAndPlay &player,
                  const PlayMode &mode, QObject *parent = nullptr);

    void setFavourites(Favourites favourites);
    RandomPicker &randomPicker() { return picker_; }

    void play_next();
    void play_prev();
    void next_Click() { play_next(); }
    void pre_Click() { play_prev(); }

    int pick_random(int n) { return picker_.pick_random(n); }
    void select_okini(int k);
    // Asks whether a favourite whose file is gone should be removed.
    void ask_remove_missing(const QString &path);

    // Full path of search result `row`: its stored folder and its name.
    static QString searchResultPath(const QListWidget *results, int row);

private:
    enum class Direction { Next, Previous };

    void step(Direction direction);
    void stepFileList(Direction direction);
    void stepFavourites(Direction direction);
    void stepSearchResults(Direction direction);
    // Moves the current entry of a list by the mode; true when it moved.
    void moveInList(QListWidget *list, Direction direction);
    bool hasFavourites() const;

    CMovie &movie_;
    ListPanel &panel_;
    FileBrowser &browser_;
    OpenAndPlay &player_;
    const PlayMode &mode_;
    Favourites favourites_;
    RandomPicker picker_;
};
