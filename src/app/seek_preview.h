#pragma once

#include <QObject>
#include <functional>

class CMovie;
class PreviewFrames;
class SeekBar;
class SeekControl;
class Settings;
class QWidget;

// The picture over the seek bars: while the pointer rests or moves over
// either bar without a button, a small picture of the movie at the time
// under it shows above the bar with that time, as the option
// "シークバーにプレビューを表示する" has it, never in small mode.  The
// pictures come from PreviewFrames; the window never waits for one.
class SeekPreview : public QObject
{
    Q_OBJECT
public:
    // The pictures are grabbed at this many places along a movie at most,
    // and at least a second apart.
    static constexpr int kPlaces = 200;

    SeekPreview(CMovie &movie, const SeekControl &seek, SeekBar &seekBar, SeekBar &fullscreenBar,
                const Settings &settings, std::function<bool()> smallMode,
                QObject *parent = nullptr);
    ~SeekPreview() override;

    // The window that shows the picture and the time, shown or not.
    QWidget *popup() const;
    const PreviewFrames &frames() const { return *frames_; }
    // The popup shows the picture of the place under the pointer (not only
    // the time, while the picture is being made).
    bool pictureShown() const;

private:
    void showAt(SeekBar *bar, int x);
    void hide();
    bool wanted() const;
    void onReady(double seconds);

    CMovie &movie_;
    const SeekControl &seek_;
    const Settings &settings_;
    std::function<bool()> smallMode_;
    PreviewFrames *frames_;
    class Popup;
    Popup *popup_;
    // The time whose picture the popup waits for.
    double shownSeconds_ = -1;
};
