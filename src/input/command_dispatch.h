#pragma once

#include <QObject>

class Player;
class QMouseEvent;
class QWidget;

// Where keys and mouse commands of the main window end: one key-down and one
// key-up handler shared by the window's controls, the mouse handlers of the
// video area, the control panel and the logo, and the main popup menu.  The
// operations themselves belong to their own parts; this maps input to them.
class CommandDispatch : public QObject
{
    Q_OBJECT
public:
    explicit CommandDispatch(Player &player);

    // Key codes are virtual-key codes; shift is 1 Shift + 2 Ctrl + 4 Alt.
    void on_key_down(int key, int shift);
    void on_key_up(int key, int shift);
    // Gives the video area the keyboard focus when it is shown, so that keys
    // keep arriving here.
    void focus_video();
    // The main popup menu at a point on the screen.
    void popupMenu(const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void listenTo(QWidget *source);
    void connectMenus();
    bool startWinding(int key, int shift);
    void stopWinding();
    void changeVolume(int step);
    bool handleMouse(QWidget *source, QMouseEvent *event);
    void dragWindow();
    bool onKeyUpTable(int key, int shift);

    Player &player_;
    int lastShift_ = 0;
};
