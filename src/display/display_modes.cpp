#include "display/display_modes.h"

#include "base/path.h"
#include "base/settings.h"
#include "base/window_geometry.h"
#include "display/display_log.h"
#include "display/picture_fit.h"
#include "input/main_menu.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/okini_view.h"
#include "window/button_images.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace
{

const char *const kSmallCaption = "Sazanami（最小モード）";
const char *const kSmallEntry = "最小表示(Ctrl+M)";
const char *const kSmallEntryLeave = "最小表示をやめる";
// Zoom factors of the size presets 1 to 5.
constexpr double kPresetFactors[] = {2.0, 1.5, 1.0, 0.75, 0.5};
// Page Up and Page Down change the picture by this many source pixels, or by
// these factors when nothing is loaded.
constexpr int kZoomStepPixels = 100;
constexpr double kZoomInFactor = 1.25;
constexpr double kZoomOutFactor = 0.75;
// Page Down stops once the video area is this narrow.
constexpr int kNarrowestZoomTwips = window_geometry::kNarrowestControlsTwips;
constexpr int kNarrowestSmallZoomTwips = 2000;
// Full screen: the control bar shows with the pointer this near the top.
constexpr int kPanelReachTwips = 50;

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

DisplayModes::DisplayModes(CMovie &movie, MainWindow &window, MainMenu &menu, Settings &settings,
                           ListPanel &panel, PictureFit &fit, QObject *parent)
    : QObject(parent), movie_(movie), window_(window), menu_(menu), settings_(settings),
      panel_(panel), fit_(fit)
{
    window.display()->setMouseTracking(true);
    // Also sees the modal dialogs of the whole program come and go.
    qApp->installEventFilter(this);
    connectControls();
}

void DisplayModes::connectControls()
{
    connect(menu_.m_small, &QAction::triggered, this, &DisplayModes::toggleSmallMode);
    connect(menu_.m_temae, &QAction::triggered, this, &DisplayModes::set_topmost);
    connect(menu_.m_saiteki, &QAction::triggered, this, &DisplayModes::optimise_window);
    connect(menu_.original, &QAction::triggered, this, &DisplayModes::original_Click);
    for (int i = 0; i < menu_.size.size(); ++i)
        connect(menu_.size[i], &QAction::triggered, this, [this, i] { size_Click(i); });
    connect(window_.button(MainWindow::Button::Fullscreen), &QAction::triggered, this,
            &DisplayModes::enter_full_screen);
    // Always on top and the original size set on the options page change the
    // window only at the next use of the menu or key; fitting the window to
    // the movie starts at once.
    connect(&settings_, &Settings::changed, this, [this](Settings::Option option) {
        if (option == Settings::AutoAdjust && settings_.fitsWindowToMovie())
            window_.layout_window();
    });
    connect(&window_, &MainWindow::laidOut, this, &DisplayModes::afterLayout);
    connect(&window_, &MainWindow::splitterDropped, this, &DisplayModes::afterLayout);
}

bool DisplayModes::fullScreen() const
{
    return fullScreen_;
}

// Window flags change on the window as it is, so that it is not made anew.
void DisplayModes::setWindowFlagLive(Qt::WindowType flag, bool on)
{
    Qt::WindowFlags flags = window_.windowFlags();
    flags.setFlag(flag, on);
    if (flags == window_.windowFlags())
        return;
    window_.overrideWindowFlags(flags);
    if (QWindow *handle = window_.windowHandle())
        handle->setFlags(flags);
}

void DisplayModes::makeNormal()
{
    if (window_.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        window_.showNormal();
}

void DisplayModes::setCaptionForMovie()
{
    window_.setWindowTitle(movie_.filename().isEmpty() ? QString("Sazanami")
                                                       : path::getbasename(movie_.filename()));
}

void DisplayModes::enter_small_mode()
{
    if (smallMode_ || fullScreen())
        return;
    window_.setWindowTitle(QString::fromUtf8(kSmallCaption));
    if (window_.listOpen()) {
        window_.hide_list();
        listWasVisible_ = true;
    }
    smallMode_ = true;
    window_.layoutSuspended = true;
    const QSize video = window_.display()->size();
    window_.setSmallLayout(true);
    setWindowFlagLive(Qt::FramelessWindowHint, true);
    window_.resize(video);
    menu_.m_small->setText(QString::fromUtf8(kSmallEntryLeave));
    window_.layoutSuspended = false;
    window_.layout_window();
}

void DisplayModes::leave_small_mode()
{
    if (!smallMode_ || fullScreen())
        return;
    smallMode_ = false;
    window_.layoutSuspended = true;
    window_.setSmallLayout(false);
    setWindowFlagLive(Qt::FramelessWindowHint, false);
    window_.resize(window_.width(), window_.display()->height() + window_.controlHeight());
    window_.layoutSuspended = false;
    if (listWasVisible_) {
        window_.show_list();
        listWasVisible_ = false;
    }
    menu_.m_small->setText(QString::fromUtf8(kSmallEntry));
    window_.layout_window();
    setCaptionForMovie();
}

void DisplayModes::toggleSmallMode()
{
    makeNormal();
    if (smallMode_)
        leave_small_mode();
    else
        enter_small_mode();
}

// Small mode keeps its caption whatever plays, and full screen shows none.
void DisplayModes::keepCaption(const QString &moviePath)
{
    if (smallMode_)
        window_.setWindowTitle(QString::fromUtf8(kSmallCaption));
    else if (!fullScreen())
        window_.setWindowTitle(path::getbasename(moviePath));
}

void DisplayModes::set_topmost(bool on)
{
    settings_.set(Settings::Temae, on);
    if (QAction *button = window_.button(MainWindow::Button::Temae))
        button->setIcon(button_images::image(on ? "temae" : "usiro"));
    setWindowFlagLive(Qt::WindowStaysOnTopHint, on);
}

void DisplayModes::toggleTopmost()
{
    set_topmost(!settings_.alwaysOnTop());
}

void DisplayModes::zoom(double factor)
{
    if (window_.isMinimized())
        return;
    const std::optional<QSize> video = window_geometry::zoomedVideo(
        QSize(movie_.sourceWidth(), movie_.sourceHeight()), window_.display()->height(), factor);
    if (!video) {
        qCDebug(lcDisplay) << "zoom factor refused:" << factor;
        return;
    }
    if (window_.isMaximized())
        window_.showNormal();
    // A small movie does not squeeze the controls under it: the video area
    // keeps the width they need, and the picture is centred in it.
    const QSize least =
        smallMode_ ? QSize() : QSize(window_.leastVideoWidth(), window_.minimumVideo());
    set_video_size(qMax(video->width(), least.width()), qMax(video->height(), least.height()));
}

void DisplayModes::set_video_size(int w, int h)
{
    const QWidget *display = window_.display();
    window_.resize(w + window_.width() - display->width(),
                   h + window_.height() - display->height());
}

void DisplayModes::optimise_window()
{
    if (optimising_ || window_.windowState() != Qt::WindowNoState)
        return;
    const int width = window_.display()->width();
    const std::optional<int> height =
        window_geometry::optimisedHeight(width, QSize(movie_.sourceWidth(), movie_.sourceHeight()));
    if (!height || *height <= 0)
        return;
    optimising_ = true;
    set_video_size(width, *height);
    optimising_ = false;
}

void DisplayModes::afterLayout()
{
    if (!fullScreen() && settings_.fitsWindowToMovie())
        optimise_window();
}

void DisplayModes::size_Click(int index)
{
    if (movie_.playState() == PlayState::None)
        return;
    if (index == 0) {
        if (!fullScreen())
            enter_full_screen();
        return;
    }
    if (index < 1 || index > 5)
        return;
    if (fullScreen())
        leave_full_screen();
    zoom(kPresetFactors[index - 1]);
}

void DisplayModes::original_Click(bool checked)
{
    settings_.set(Settings::OriginalSize, checked);
    if (checked && movie_.playState() != PlayState::None)
        zoom(1.0);
}

void DisplayModes::zoomStep(int direction)
{
    if (window_.windowState() != Qt::WindowNoState || fullScreen())
        return;
    const int narrowest =
        window_.pixelsX(smallMode_ ? kNarrowestSmallZoomTwips : kNarrowestZoomTwips);
    if (direction < 0 && window_.display()->width() <= narrowest)
        return;
    if (movie_.playState() != PlayState::Playing && movie_.playState() != PlayState::Paused) {
        zoom(direction > 0 ? kZoomInFactor : kZoomOutFactor);
        return;
    }
    if (const std::optional<double> factor =
            window_geometry::zoomStepFactor(window_.display()->width(), movie_.sourceWidth(),
                                            direction > 0 ? kZoomStepPixels : -kZoomStepPixels))
        zoom(*factor);
}

void DisplayModes::sizeForNewMovie()
{
    if (fullScreen()) {
        fit_.fit_video();
        movie_.HideCursor(true);
        return;
    }
    if (settings_.originalSize()) {
        // The window takes the movie's own size even when it would fit the
        // window to the movie otherwise.
        optimising_ = true;
        zoom(1.0);
        optimising_ = false;
    }
    fit_.fit_video();
    if (!settings_.originalSize() && settings_.fitsWindowToMovie())
        optimise_window();
}

void DisplayModes::enter_full_screen()
{
    if (movie_.playState() != PlayState::Playing || fullScreen())
        return;
    savedNormal_ =
        window_.windowState() == Qt::WindowNoState ? window_.geometry() : window_.normalGeometry();
    qCDebug(lcDisplay) << "full screen from" << savedNormal_;
    restoreAfterFullScreen_.reset();
    window_.layoutSuspended = true;
    menu_.m_window->setEnabled(false);
    window_.setFullScreenLayout(true);
    fullScreen_ = true;
    // Covering the screen first also serves where no window manager does
    // it; placed after the request, the window would leave the window
    // manager's full-screen state and keep its frame, pushed down by it.
    // A Wayland compositor always does it, and would take that size for the
    // one to give back when full screen ends.
    if (const QScreen *screen = window_.screen(); screen && !onWayland())
        window_.setGeometry(screen->geometry());
    window_.showFullScreen();
    window_.layoutSuspended = false;
    window_.layout_window();
    movie_.HideCursor(true);
    fit_.update_masks();
    placeFullScreenDirectory();
}

QSize DisplayModes::screenSize() const
{
    const QScreen *screen = window_.screen();
    return screen ? screen->geometry().size() : window_.size();
}

// The folder frame becomes a box above the file list's place, where F4 shows
// it over the picture.
void DisplayModes::placeFullScreenDirectory()
{
    const ScreenMetrics &metrics = window_.metrics();
    QWidget *directory = window_.directory();
    directory->setGeometry(window_geometry::fullScreenPlaces(screenSize(), metrics.TwipsPerPixelX,
                                                             metrics.TwipsPerPixelY)
                               .directory);
    directory->raise();
}

void DisplayModes::leave_full_screen()
{
    if (!fullScreen())
        return;
    fullScreen_ = false;
    window_.layoutSuspended = true;
    hide_fullscreen_panel();
    movie_.HideCursor(false);
    showListOverlay(false);
    window_.directory()->hide();
    window_.setFullScreenLayout(false);
    const QRect back = keptOnScreen(savedNormal_);
    window_.showNormal();
    window_.setGeometry(back);
    restoreAfterFullScreen_ = back;
    if (!smallMode_)
        setCaptionForMovie();
    set_topmost(settings_.alwaysOnTop());
    window_.layoutSuspended = false;
    menu_.m_window->setEnabled(true);
    window_.layout_window();
}

// A window manager or compositor that answers the end of full screen later
// may size the window itself then: a Wayland compositor leaves the size to
// the client, and Qt gives it the one it noted when full screen began, which
// need not be the window's.  The rectangle left is given back once more.
void DisplayModes::windowStateApplied()
{
    if (!restoreAfterFullScreen_)
        return;
    const QRect back = *std::exchange(restoreAfterFullScreen_, std::nullopt);
    QTimer::singleShot(0, this, [this, back] {
        if (!fullScreen() && window_.windowState() == Qt::WindowNoState &&
            window_.geometry() != back)
            window_.setGeometry(back);
    });
}

void DisplayModes::toggleFullScreen()
{
    if (fullScreen())
        leave_full_screen();
    else
        enter_full_screen();
}

void DisplayModes::show_fullscreen_panel()
{
    QFrame *panel = window_.fullscreenControl();
    if (panel->isHidden()) {
        panel->show();
        panel->raise();
    }
    movie_.HideCursor(false);
}

void DisplayModes::hide_fullscreen_panel()
{
    QFrame *panel = window_.fullscreenControl();
    if (!panel->isHidden())
        panel->hide();
    if (fullScreen())
        movie_.HideCursor(true);
}

// The favourites come over the bottom left of the picture and the files over
// the bottom right, whichever page the panel shows, and the folder box goes.
// The box stays while the pointer crosses the picture on its way to it.
void DisplayModes::showListOverlay(bool shown)
{
    if (!shown) {
        listOverlay_.giveBack();
        return;
    }
    window_.directory()->hide();
    const ScreenMetrics &metrics = window_.metrics();
    const window_geometry::FullScreenPlaces places = window_geometry::fullScreenPlaces(
        screenSize(), metrics.TwipsPerPixelX, metrics.TwipsPerPixelY);
    QWidget *host = window_.centralWidget();
    if (!listOverlay_.isLent(panel_.List_okini))
        listOverlay_.lend(panel_.List_okini, host, places.favourites);
    if (!listOverlay_.isLent(panel_.File))
        listOverlay_.lend(panel_.File, host, places.files);
    window_.fullscreenControl()->raise();
}

void DisplayModes::showFullScreenOverlays()
{
    if (!fullScreen())
        return;
    show_fullscreen_panel();
    showListOverlay(true);
}

QRect DisplayModes::restingGeometry() const
{
    QRect rest = fullScreen()                                 ? savedNormal_
                 : window_.windowState() == Qt::WindowNoState ? window_.geometry()
                                                              : window_.normalGeometry();
    if (smallMode_)
        rest.setHeight(rest.height() + window_.controlHeight());
    if (!window_.listOpen())
        rest.setWidth(rest.width() + window_.sideWidth());
    return rest;
}

void DisplayModes::pointerOverVideo(QPoint pos)
{
    if (fullScreen())
        fullScreenPointer(pos);
    else
        autoListDisplay(pos);
}

// Only in the active, normal window: the list opens with the pointer in the
// strip along the video's right edge and closes when it leaves.
void DisplayModes::autoListDisplay(QPoint pos)
{
    if (!settings_.autoListHide() || !window_.isActiveWindow() || smallMode_ ||
        window_.windowState() != Qt::WindowNoState)
        return;
    const bool wanted = window_geometry::pointerWantsList(
        pos, window_.display()->width(), window_.pixelsX(window_geometry::kListStripTwips));
    if (wanted && !window_.listOpen())
        window_.show_list();
    else if (!wanted && window_.listOpen())
        window_.hide_list();
}

void DisplayModes::fullScreenPointer(QPoint pos)
{
    const int y = window_.display()->mapTo(&window_, pos).y();
    const int height = window_.height();
    if (y < window_.fullscreenControl()->height() + window_.pixelsY(kPanelReachTwips) ||
        (winding_ && winding_()))
        show_fullscreen_panel();
    else
        hide_fullscreen_panel();
    showListOverlay(
        window_geometry::pointerWantsFullScreenLists(y, height, window_.metrics().TwipsPerPixelY));
}

// No dialog may hide behind a window kept on top or in full screen: the
// window steps back while a modal dialog is open and returns after.
void DisplayModes::dialogShown(QWidget *dialog)
{
    if (dialog_)
        return;
    dialog_ = dialog;
    dialogLeftFullScreen_ = fullScreen();
    if (dialogLeftFullScreen_)
        leave_full_screen();
    dialogDroppedTopmost_ = window_.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (dialogDroppedTopmost_)
        setWindowFlagLive(Qt::WindowStaysOnTopHint, false);
}

void DisplayModes::dialogHidden(QWidget *dialog)
{
    if (dialog != dialog_)
        return;
    dialog_ = nullptr;
    if (dialogDroppedTopmost_)
        setWindowFlagLive(Qt::WindowStaysOnTopHint, true);
    if (dialogLeftFullScreen_)
        enter_full_screen();
}

bool DisplayModes::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        if (watched == window_.display())
            pointerOverVideo(static_cast<QMouseEvent *>(event)->position().toPoint());
        break;
    case QEvent::WindowStateChange:
        if (watched == window_.windowHandle())
            windowStateApplied();
        break;
    case QEvent::Show:
    case QEvent::Hide: {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget == &window_ || !widget->isWindow() || !widget->isModal())
            break;
        if (event->type() == QEvent::Show)
            dialogShown(widget);
        else
            dialogHidden(widget);
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
