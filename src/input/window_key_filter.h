#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

// The one road of keys into the main window.  Every key pressed or let go in
// the window, whichever of its controls has the focus, is offered here once,
// before any control sees it, and goes on by the kind of control:
//  - text boxes (the search box, the key page's boxes, editors) keep every
//    key for their typing, and a control keeps the keys it has claimed with
//    keepOwnKeys();
//  - controls with keys of their own (lists, drop-down lists, sliders,
//    buttons, tab strips) get the key after the window's handling, except a
//    key the window has a use for that does not move or select in them: a
//    bound letter never ends in a list's type-ahead, F4 never opens a
//    drop-down list.  A drop-down list, which takes the entry a moving key
//    lands on at once, gets none of the window's keys;
//  - everything else (the video area, frames, the window itself) gives its
//    keys to the window's handling alone.
// Dialogs and popup menus are windows of their own and keep their keys.
class WindowKeyFilter : public QObject
{
public:
    // Codes are virtual-key codes, shift the sum of virtual_keys::ShiftBits.
    // A release carries the shift of its key's press: a chord is the keys
    // held when its key went down, whatever is let go first (Ctrl let go
    // before W is still Ctrl+W).
    struct Handlers {
        // Auto-repeated presses included.
        std::function<void(int code, int shift, bool autoRepeat)> pressed;
        // Auto-repeated releases left out.
        std::function<void(int code, int shift)> released;
        // Whether the window's handling does something with the key.
        std::function<bool(int code, int shift)> wanted;
        // A release that did not go to `released`: in a text box, in a dialog
        // or another window.  One release may be told more than once.
        std::function<void(int code)> releasedElsewhere;
    };

    // Watches the whole application from now on.
    WindowKeyFilter(QWidget &window, Handlers handlers, QObject *parent = nullptr);

    // Qt key codes that `control` handles by itself and that the window's
    // handling never sees from it.
    static void keepOwnKeys(QWidget *control, const QList<int> &qtKeys);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Route { WindowOnly, WindowThenControl, ControlOnly };

    Route routeOf(const QWidget &receiver, const QKeyEvent &key, int code, int shift) const;
    void tellWindow(const QKeyEvent &key, int code, int shift);
    void tellReleasedElsewhere(const QKeyEvent &key);
    void passOn(QWidget *receiver, QKeyEvent *key);
    int shiftOfPress(const QKeyEvent &key, int code, int shift);

    QWidget &window_;
    Handlers handlers_;
    // The event being handed to its control, which this filter lets by.
    const QEvent *passingOn_ = nullptr;
    // The shift of each key held down, by its code.
    QHash<int, int> heldShift_;
};
