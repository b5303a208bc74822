#pragma once

#include <QObject>
#include <QPoint>
#include <functional>
#include <optional>
#include <span>

class CMovie;
class FavouritesList;
class DisplayModes;
class MovieVolume;
class FileBrowser;
class KeyBindings;
class ListPanel;
class MainMenu;
class MainWindow;
class OpenAndPlay;
class PlaySequencer;
class PlaySpeed;
class PositionTimer;
class QMouseEvent;
class QWidget;
class SceneMenus;
class Transport;

// Where keys and mouse commands of the main window end: one key-down and one
// key-up handler fed by the window's one key filter (WindowKeyFilter), the
// mouse handlers of the video area, the control panel and the logo, and the
// main popup menu.  The operations themselves belong to their own parts;
// this maps input to them.
class CommandDispatch : public QObject
{
    Q_OBJECT
public:
    // The parts that keys and mouse commands reach.
    struct Parts {
        MainWindow &window;
        CMovie &movie;
        ListPanel &panel;
        PositionTimer &timer;
        OpenAndPlay &player;
        PlaySpeed &speed;
        FileBrowser &browser;
        FavouritesList &favourites;
        PlaySequencer &sequencer;
        Transport &transport;
        MainMenu &menu;
        SceneMenus &scenes;
        DisplayModes &modes;
        MovieVolume &volume;
        const KeyBindings &keys;
        // Ends the program the way the exit command does.
        std::function<void()> exit;
    };

    explicit CommandDispatch(Parts parts);

    // Key codes are virtual-key codes, shift the sum of virtual_keys::ShiftBits.
    void on_key_down(int key, int shift);
    void on_key_up(int key, int shift);
    // Gives the video area the keyboard focus when it is shown, so that the
    // next keys are the window's rather than a list's or a box's.
    void focus_video();
    // Sets the volume bars to value (0..100) and the movie to their volume.
    void setVolume(int value);
    // The main popup menu at a point on the screen.
    void popupMenu(const QPoint &globalPos);
    void popupMenuAtVideo();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct KeyUpRow;
    static std::span<const KeyUpRow> keyUpRows();
    const KeyUpRow *keyUpRowFor(int key, int shift) const;
    bool wants(int key, int shift) const;
    void connectMenus();
    bool startWinding(int key, int shift);
    void stopWinding();
    bool isWindingKey(int key) const;
    void watchForWindingEnd(bool on);
    void stopWindingUnlessFocused();
    void stopWindingOnRelease(int key);
    void changeVolume(int step);
    void openHelp();
    bool handleMouse(QWidget *source, QMouseEvent *event);
    bool dragWindowOnMove(QMouseEvent *event);
    void addToFavourites();

    Parts p_;
    // Where the left button went down on a surface that drags the window.
    std::optional<QPoint> dragFrom_;
};
