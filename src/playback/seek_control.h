#pragma once

#include <QObject>
#include <optional>

class CMovie;
class MainWindow;
class PositionTimer;
class SeekBar;

// Seeking with the seek bars: a click or drag moves playback, a Ctrl-drag
// marks the section that playback repeats, a right click clears it.
class SeekControl : public QObject
{
    Q_OBJECT
public:
    SeekControl(CMovie &movie, MainWindow &window, PositionTimer &timer, QObject *parent = nullptr);

    // The seek bar under the video; x in pixels from the bar's left edge.
    void SeekBar_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x);
    void SeekBar_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x);
    void SeekBar_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x);
    void SeekBar_GotFocus();

    // The full-screen bar: the left button seeks, and the section stays.
    void SeekBarForFullscreen_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                        int x);
    void SeekBarForFullscreen_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                                        int x);

    // The value of either bar under x, by that bar's rule; nothing when no
    // movie gives a duration.
    std::optional<int> valueUnder(const SeekBar *bar, int x) const;

private:
    // The seek bar's value under x, or nothing when no movie gives a duration.
    std::optional<int> seekBarValueAt(int x) const;
    // Moves playback to value unless another command is being carried out.
    void seek(int value, bool fromFullscreen);
    void startSectionDrag(int x, int value);
    void dragBand(int x);
    void finishSection(int value);
    void endSectionDrag();
    bool dragging() const;
    int twipsPerPixelX() const;
    int twipsPerPixelY() const;

    CMovie &movie_;
    MainWindow &window_;
    PositionTimer &timer_;
};
