#pragma once

#include "base/scene_file.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class CMovie;
class FileBrowser;
class MainMenu;
class MainWindow;
class OpenAndPlay;
class QAction;
class QMenu;

// The scene menus: the four arrays of the main popup menu for the open movie
// and the file list's array for its current entry, and what their entries do.
// The menus show the scene files as last read; every edit writes the whole
// file and shows it again.
class SceneMenus : public QObject
{
    Q_OBJECT
public:
    SceneMenus(CMovie &movie, MainWindow &window, MainMenu &menu, FileBrowser &browser,
               OpenAndPlay &player, QObject *parent = nullptr);

    // The folder of the scene files; known once start-up has made it.  Until
    // then no movie has scenes.
    void setSceneFolder(const QString &folder);
    const QString &sceneFolder() const { return sceneFolder_; }

    // Reads the open movie's scene file into the main popup menu.
    void load_scenes();
    // Fills the file menu's scene submenu `m_seen_load_file` for the file at
    // path, before the menu opens; "" (no single file) shows no scenes.
    void load_file_scenes(const QString &path, QMenu *sceneMenu);
    // The same for the favourites menu's scene submenu `m_seen_load_okini`
    // and the selected favourite at path.
    void load_okini_scenes(const QString &path, QMenu *sceneMenu);

    // The slot operations of the main popup menu and of the keypad.  Each does
    // nothing when it cannot act: no open movie, an empty slot, a scene file
    // that cannot be written.
    void jump(int n);
    void registerScene(int n);
    // Asks for the new name; an empty answer or a cancel changes nothing.
    void rename(int n);
    void remove(int n);
    // Plays the file the file menu's scenes belong to from slot n.
    void playFileAt(int n);
    // Plays the favourite the favourites menu's scenes belong to from slot n.
    void playOkiniAt(int n);

    // The scenes as the menus show them.
    const SceneFile &movieScenes() const { return movieScenes_; }
    const SceneFile &fileScenes() const { return file_.scenes; }

private:
    SceneFile sceneFileOf(const QString &moviePath) const;
    // The open movie's scenes, read again should the menus show another
    // movie's; false without an open movie.
    bool syncWithOpenMovie();
    void showMovieScenes();
    // The scene submenu of a list's context menu and the movie it shows.
    struct ListMenu {
        QString moviePath;
        SceneFile scenes;
        QPointer<QMenu> menu;
        QList<QAction *> slotActions;
    };
    void loadListScenes(ListMenu &list, const QString &path, QMenu *sceneMenu);
    void attachListMenu(ListMenu &list, QMenu *sceneMenu);
    void playListAt(ListMenu &list, int n);
    // Moves playback to seconds and the seek bars with it.
    void seekTo(double seconds);

    CMovie &movie_;
    MainWindow &window_;
    MainMenu &menu_;
    FileBrowser &browser_;
    OpenAndPlay &player_;
    QString sceneFolder_;

    SceneFile movieScenes_;
    // The file menu's and the favourites menu's movies and their scenes, as
    // of the last time the menus opened.
    ListMenu file_;
    ListMenu okini_;
};
