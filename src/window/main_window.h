#pragma once

#include "window/screen_metrics.h"

#include <QElapsedTimer>

#include <QMainWindow>
#include <array>

class QAction;
class QComboBox;
class QFrame;
class QListWidget;
class QLabel;
class QSlider;
class QToolBar;
class QToolButton;
class SeekBar;
class VideoArea;

// The main window `player`: the video area at the upper left, the control
// panel under it, the list panel on the right and the splitter between.  It
// builds and places the controls; what they do is wired up by the owners of
// each behaviour.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

    VideoArea *display() const { return display_; }
    QFrame *control() const { return control_; }
    QToolBar *panel() const { return panel_; }
    // The toolbar buttons, in their order on the toolbar.
    enum class Button { Play, Stop, Pre, Next, Size, Speed, Mode, Temae, Capture, Fullscreen };
    QAction *button(Button which) const { return buttons_[std::size_t(which)]; }
    SeekBar *seekBar() const { return seekBar_; }
    SeekBar *seekBarForFullscreen() const { return seekBarForFullscreen_; }
    // `lblMedia` entries 3 (length) and 4 (elapsed time).
    QLabel *lblMedia(int index) const;
    // The time box around the elapsed time and the length.
    QFrame *time() const { return time_; }
    QLabel *timeForFullscreen() const { return timeForFullscreen_; }
    QSlider *vol() const { return vol_; }
    QSlider *volForFullscreen() const { return volForFullscreen_; }
    QFrame *kyoukai() const { return kyoukai_; }
    QFrame *list() const { return list_; }
    QFrame *directory() const { return directory_; }
    // The drive list `Drive1` and the folder list `Dir1` of the directory box.
    QComboBox *drives() const { return drives_; }
    QListWidget *folders() const { return folders_; }
    QWidget *sel() const { return sel_; }
    QToolButton *btList() const { return btList_; }
    QFrame *fullscreenControl() const { return fullscreenControl_; }
    // The masks over the top and bottom edges of the picture.
    QFrame *clipUpper() const { return clipUpper_; }
    QFrame *clipUnder() const { return clipUnder_; }
    // The list-width buttons "add" and "sub".
    QFrame *sizeBar() const { return sizeBar_; }

    void setMetrics(const ScreenMetrics &metrics);
    const ScreenMetrics &metrics() const { return metrics_; }
    // A length in twips on this screen, horizontally and vertically.
    int pixelsX(int twips) const;
    int pixelsY(int twips) const;

    // Width of the list panel in pixels.
    int listWidth() const { return listWidth_; }
    void setListWidth(int pixels);
    // The pixels the list and the splitter take beside the video.
    int sideWidth() const;
    int controlHeight() const;
    // The least width and height the video area keeps (500 twips).
    int minimumVideo() const;
    // The least width the window gives the video area, at which every
    // control of the panel under it can still be used.
    int leastVideoWidth() const;

    // The full layout pass for the current window size and mode.  The window
    // grows when it is too small to keep the smallest video area.
    void layout_window();
    // While set, the window's own resizing does not lay it out.
    bool layoutSuspended = false;
    // Small mode: the video fills the window.  Full screen: the video fills
    // the window and the controls come as an overlay.
    void setSmallLayout(bool on);
    void setFullScreenLayout(bool on);
    bool smallLayout() const { return smallLayout_; }
    bool fullScreenLayout() const { return fullScreenLayout_; }

    // The list panel, opened or closed: the window grows or shrinks by the
    // list and the splitter, so the video keeps its size.
    bool listOpen() const;
    void show_list();
    void hide_list();
    // `BtList`: opens or closes the list from a normal window.
    void BtList_Click();

    // Set when an input box was accepted: the key-up handling then swallows
    // the next release of the play key (the Enter that closed the box).
    bool swallow_enter = false;

private:
    bool isOldSizeReport(const QResizeEvent &event);

signals:
    // The window is being closed by any means; shut-down runs here.
    void closing();
    void resized();
    // A layout pass has placed the controls for a size the window is meant to
    // keep (not for an old size the window system reports late).
    void laidOut();
    // The splitter was dropped: the video area has its new width.
    void splitterDropped();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeControlPanel(int width);
    void updateListWidth();
    void placeSizeBar();
    void maskFullscreenControl();
    void dragSplitter(int globalX);
    void dropSplitter();
    void changeListWidth(int direction);
    void setListShown(bool shown);
    void buildSizeBar();
    void buildControlPanel(QWidget *central);
    void buildToolbar();
    void buildFullscreenBar(QWidget *central);
    void buildDirectoryFrame(QWidget *central);

    VideoArea *display_ = nullptr;
    QFrame *control_ = nullptr;
    QToolBar *panel_ = nullptr;
    SeekBar *seekBar_ = nullptr;
    SeekBar *seekBarForFullscreen_ = nullptr;
    QFrame *time_ = nullptr;
    QLabel *lblMedia3_ = nullptr;
    QLabel *lblMedia4_ = nullptr;
    QLabel *timeForFullscreen_ = nullptr;
    QSlider *vol_ = nullptr;
    QSlider *volForFullscreen_ = nullptr;
    QFrame *rightPanel_ = nullptr;
    QToolButton *btList_ = nullptr;
    QFrame *kyoukai_ = nullptr;
    QFrame *list_ = nullptr;
    QFrame *directory_ = nullptr;
    QComboBox *drives_ = nullptr;
    QListWidget *folders_ = nullptr;
    std::array<QAction *, 10> buttons_{};
    QFrame *fullscreenControl_ = nullptr;
    QList<QWidget *> fullscreenButtons_;
    QWidget *sel_ = nullptr;
    QFrame *clipUpper_ = nullptr;
    QFrame *clipUnder_ = nullptr;
    QFrame *sizeBar_ = nullptr;
    ScreenMetrics metrics_;
    bool closed_ = false;
    // The size last asked of the window system, while its report is awaited.
    QSize sizeAsked_;
    QElapsedTimer sinceSizeAsked_;
    // Set while a report of a size older than the one asked is laid out.
    bool oldSizeReport_ = false;
    bool smallLayout_ = false;
    bool fullScreenLayout_ = false;
    bool listOpen_ = true;
    bool draggingSplitter_ = false;
    int listWidth_ = 270;
    int wantedListWidth_ = 270;
};
