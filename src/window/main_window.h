#pragma once

#include <QMainWindow>

class QAction;
class QFrame;
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
    // The toolbar button with the given key ("play", "stop", "mode", ...).
    QAction *button(const QString &key) const;
    SeekBar *seekBar() const { return seekBar_; }
    SeekBar *seekBarForFullscreen() const { return seekBarForFullscreen_; }
    // `lblMedia` entries 3 (length) and 4 (elapsed time).
    QLabel *lblMedia(int index) const;
    // The time box; its caption keeps the last open result.
    QFrame *time() const { return time_; }
    QLabel *timeForFullscreen() const { return timeForFullscreen_; }
    QSlider *vol() const { return vol_; }
    QSlider *volForFullscreen() const { return volForFullscreen_; }
    QFrame *kyoukai() const { return kyoukai_; }
    QFrame *list() const { return list_; }
    QFrame *directory() const { return directory_; }
    QWidget *sel() const { return sel_; }

    // Width of the list panel in pixels.
    int listWidth() const { return listWidth_; }
    void setListWidth(int pixels);

    // Places the controls for the current window size.
    void layoutControls();

    // Set when an input box was accepted: the key-up handling then swallows
    // the next release of the play key (the Enter that closed the box).
    bool swallow_enter = false;

signals:
    // The window is being closed by any means; shut-down runs here.
    void closing();
    void resized();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
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
    QFrame *fullscreenControl_ = nullptr;
    QWidget *sel_ = nullptr;
    bool closed_ = false;
    int listWidth_ = 270;
    int wantedListWidth_ = 270;
};
