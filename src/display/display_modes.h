#pragma once

#include "display/list_overlay.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <optional>

class CMovie;
class ListPanel;
class MainMenu;
class MainWindow;
class PictureFit;
class QWidget;
class Settings;

// The ways the main window shows the video: normal, small mode (the video
// alone, without frame, controls or list), zoomed to a size preset or the
// movie's own size, full screen with its control bar and list overlay, and
// always on top.  Owns the switching between them and the pointer rules over
// the video (the list opening by the pointer, the full-screen overlays).
//
// Each change keeps the picture playing; leaving a mode brings the window
// back to the rectangle it had, on a screen that still exists.
class DisplayModes : public QObject
{
    Q_OBJECT
public:
    DisplayModes(CMovie &movie, MainWindow &window, MainMenu &menu, Settings &settings,
                 ListPanel &panel, PictureFit &fit, QObject *parent = nullptr);

    // Tells whether a winding key is held: the full-screen control bar stays
    // then wherever the pointer is.
    void setWindingQuery(std::function<bool()> winding) { winding_ = std::move(winding); }

    bool smallMode() const { return smallMode_; }
    bool fullScreen() const;
    // The list was open when small mode began and opens again when it ends.
    bool listWasVisible() const { return listWasVisible_; }
    void setListWasVisible(bool visible) { listWasVisible_ = visible; }

    void enter_small_mode();
    void leave_small_mode();
    // Ctrl+M, `m_small` and a double click on the video.
    void toggleSmallMode();
    // Names the window after the movie just opened, or keeps the caption of
    // the mode shown.
    void keepCaption(const QString &moviePath);

    void set_topmost(bool on);
    // Ctrl+T.
    void toggleTopmost();

    void zoom(double factor);
    // Resizes the window so that the video area becomes w x h pixels.
    void set_video_size(int w, int h);
    void optimise_window();
    // The size presets: 0 full screen, 1..5 200 % to 50 %.
    void size_Click(int index);
    void original_Click(bool checked);
    // Page Up (+1) and Page Down (-1): the picture 100 source pixels wider
    // or narrower.
    void zoomStep(int direction);
    // Applies the original-size and auto-fit rules to a movie just opened.
    void sizeForNewMovie();

    void enter_full_screen();
    void leave_full_screen();
    // Alt+Enter.
    void toggleFullScreen();
    void show_fullscreen_panel();
    void hide_fullscreen_panel();
    // The overlays over the video in full screen, for the popup menu.
    void showFullScreenOverlays();

    // The window's rectangle in its normal state, with the list open: what
    // the settings keep whatever the mode.
    QRect restingGeometry() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectControls();
    void setWindowFlagLive(Qt::WindowType flag, bool on);
    void makeNormal();
    void pointerOverVideo(QPoint pos);
    void autoListDisplay(QPoint pos);
    void fullScreenPointer(QPoint pos);
    void showListOverlay(bool shown);
    void placeFullScreenDirectory();
    QSize screenSize() const;
    void dialogShown(QWidget *dialog);
    void dialogHidden(QWidget *dialog);
    void afterLayout();
    void windowStateApplied();
    void setCaptionForMovie();

    CMovie &movie_;
    MainWindow &window_;
    MainMenu &menu_;
    Settings &settings_;
    ListPanel &panel_;
    PictureFit &fit_;
    std::function<bool()> winding_;
    bool smallMode_ = false;
    bool fullScreen_ = false;
    bool listWasVisible_ = false;
    QRect savedNormal_;
    // Left full screen for this rectangle; the window's new state is not yet
    // confirmed by the window system.
    std::optional<QRect> restoreAfterFullScreen_;
    ListOverlay listOverlay_;
    bool optimising_ = false;
    // Around a modal dialog: the modes it was dropped from.
    QPointer<QWidget> dialog_;
    bool dialogLeftFullScreen_ = false;
    bool dialogDroppedTopmost_ = false;
};
