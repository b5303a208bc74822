#include "app/command_dispatch.h"

#include "app/app_log.h"
#include "base/key_bindings.h"
#include "base/program_folder.h"
#include "base/virtual_keys.h"
#include "display/display_modes.h"
#include "display/movie_volume.h"
#include "favourites/favourites_list.h"
#include "input/key_events.h"
#include "input/main_menu.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/okini_view.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"
#include "playback/play_speed.h"
#include "playback/position_timer.h"
#include "playback/transport.h"
#include "scenes/scene_menus.h"
#include "window/main_window.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

namespace
{

constexpr int kShift = 1;
constexpr int kCtrl = 2;
constexpr int kAlt = 4;

namespace vk
{
constexpr int Enter = 13;
constexpr int Esc = 27;
constexpr int PageUp = 33;
constexpr int PageDown = 34;
constexpr int Home = 36;
constexpr int Delete = 46;
constexpr int D = 68;
constexpr int F = 70;
constexpr int I = 73;
constexpr int M = 77;
constexpr int T = 84;
constexpr int W = 87;
constexpr int Keypad0 = 96;
constexpr int Keypad9 = 105;
constexpr int KeypadPlus = 107;
constexpr int KeypadMinus = 109;
constexpr int F1 = 112;
constexpr int F2 = 113;
constexpr int F3 = 114;
constexpr int F4 = 115;
constexpr int F5 = 116;
constexpr int F6 = 117;
constexpr int F8 = 119;
constexpr int PlusKey = 187;
constexpr int MinusKey = 189;
} // namespace vk

// Hears every key release of the application, wherever it is delivered.
class ReleaseWatch final : public QObject
{
public:
    ReleaseWatch(std::function<void(int key)> onRelease, QObject *parent)
        : QObject(parent), onRelease_(std::move(onRelease))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (!key->isAutoRepeat())
                onRelease_(virtual_keys::fromKeyEvent(*key));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int key)> onRelease_;
};

} // namespace

CommandDispatch::CommandDispatch(Parts parts) : QObject(&parts.window), p_(std::move(parts))
{
    MainWindow &window = p_.window;
    const QList<QWidget *> keySources = {window.display(), window.btList(), window.kyoukai()};
    for (QWidget *source : keySources)
        listenTo(source);
    const QList<QWidget *> mouseSources = {window.control(), window.time(),
                                           window.display()->logo()};
    for (QWidget *source : mouseSources)
        source->installEventFilter(this);

    auto forward = [this](bool down) {
        return [this, down](int, Qt::KeyboardModifiers modifiers, int code) {
            const int shift = virtual_keys::shiftState(modifiers);
            down ? on_key_down(code, shift) : on_key_up(code, shift);
        };
    };
    connect(&p_.browser, &FileBrowser::keyDown, this, forward(true));
    connect(&p_.browser, &FileBrowser::keyUp, this, forward(false));
    connect(&p_.panel, &ListPanel::keyDown, this, forward(true));
    connect(&p_.panel, &ListPanel::keyUp, this, forward(false));
    listenTo(p_.panel.List_okini);
    listenTo(p_.panel.List_Find);
    // Bound keys keep working while an option has the focus.
    listenTo(p_.panel.Tab_Config);
    for (QWidget *option : p_.panel.config->findChildren<QWidget *>()) {
        if (qobject_cast<QCheckBox *>(option) || qobject_cast<QRadioButton *>(option) ||
            qobject_cast<QAbstractSlider *>(option))
            listenTo(option);
    }
    connectMenus();
}

void CommandDispatch::listenTo(QWidget *source)
{
    if (source)
        source->installEventFilter(this);
}

void CommandDispatch::connectMenus()
{
    MainMenu &menu = p_.menu;
    Transport &transport = p_.transport;
    PlaySequencer &sequencer = p_.sequencer;
    connect(menu.play, &QAction::triggered, &transport, &Transport::play_Click);
    connect(menu.stop, &QAction::triggered, &transport, &Transport::stop_Click);
    connect(menu.pre, &QAction::triggered, &sequencer, &PlaySequencer::pre_Click);
    connect(menu.next, &QAction::triggered, &sequencer, &PlaySequencer::next_Click);
    connect(menu.mTopSeek, &QAction::triggered, &transport, &Transport::mTopSeek_Click);
    connect(menu.m_exit, &QAction::triggered, this, [this] { p_.exit(); });
    connect(menu.help, &QAction::triggered, this, &CommandDispatch::openHelp);
}

// The help page shipped with the program: beside it, or in its installed
// data folder.
void CommandDispatch::openHelp()
{
    const QString help = program_folder::helpFile(QCoreApplication::applicationDirPath());
    if (help.isEmpty()) {
        qCInfo(lcApp) << "no help.html beside the program or in its data folder";
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(help));
}

bool CommandDispatch::eventFilter(QObject *watched, QEvent *event)
{
    auto *source = qobject_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        // The lists move their selection with the arrows themselves, the
        // options keep their own keys too.
        const bool list = qobject_cast<QAbstractItemView *>(source) != nullptr ||
                          (source && p_.panel.config->isAncestorOf(source));
        const int code = virtual_keys::fromKeyEvent(*key);
        const int shift = virtual_keys::shiftState(key->modifiers());
        if (event->type() == QEvent::KeyPress) {
            if (!key->isAutoRepeat() || p_.timer.tag() == 0)
                on_key_down(code, shift);
        } else if (!key->isAutoRepeat()) {
            on_key_up(code, shift);
        }
        return !list;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The splitter, the list button and the options pass only their
        // keys here.
        if (source == p_.window.kyoukai() || source == p_.window.btList() ||
            (source && p_.panel.config->isAncestorOf(source)))
            return false;
        return handleMouse(source, static_cast<QMouseEvent *>(event));
    default:
        return QObject::eventFilter(watched, event);
    }
}

bool CommandDispatch::handleMouse(QWidget *source, QMouseEvent *event)
{
    MainWindow &window = p_.window;
    const bool fullScreen = p_.modes.fullScreen();
    QWidget *logo = window.display()->logo();
    const bool videoArea = source == window.display() || source == logo;

    if (event->type() == QEvent::MouseButtonDblClick) {
        if (videoArea && !fullScreen)
            p_.modes.toggleSmallMode();
        return videoArea;
    }

    if (source == logo)
        window.display()->logoShape()->setVisible(!window.display()->logoShape()->isVisible());

    if (event->button() == Qt::LeftButton) {
        if (!(videoArea && fullScreen))
            dragWindow();
        return true;
    }
    if (videoArea && event->button() == Qt::RightButton) {
        popupMenu(event->globalPosition().toPoint());
        return true;
    }
    // Other buttons on the time display open the menu as well.
    if (source == window.time()) {
        popupMenu(event->globalPosition().toPoint());
        return true;
    }
    return false;
}

// Dragging the video or the control panel moves the window.
void CommandDispatch::dragWindow()
{
    if (QWindow *handle = p_.window.windowHandle())
        handle->startSystemMove();
}

void CommandDispatch::popupMenu(const QPoint &globalPos)
{
    MainMenu &menu = p_.menu;
    p_.modes.showFullScreenOverlays();
    menu.prepare(!p_.movie.filename().isEmpty());
    menu.menu()->popup(globalPos);
}

void CommandDispatch::focus_video()
{
    QWidget *display = p_.window.display();
    if (display->isVisible())
        display->setFocus();
}

void CommandDispatch::on_key_down(int key, int shift)
{
    lastShift_ = shift;
    if (p_.timer.tag() == 0 && startWinding(key, shift))
        focus_video();

    if (key == vk::KeypadPlus || (key == vk::PlusKey && shift == kCtrl)) {
        changeVolume(5);
        focus_video();
    } else if (key == vk::KeypadMinus || (key == vk::MinusKey && shift == kCtrl)) {
        changeVolume(-5);
        focus_video();
    }
}

// The add binding and Ctrl+D: the selected files of the file page or the
// selected results of the search page.
void CommandDispatch::addToFavourites()
{
    switch (p_.panel.selectedTab()) {
    case ListPanel::FilePage:
        p_.favourites.addSelection(p_.browser.selectedPaths());
        break;
    case ListPanel::SearchPage:
        p_.favourites.addSearchSelection();
        break;
    default:
        break;
    }
}

bool CommandDispatch::startWinding(int key, int shift)
{
    const KeyBindings &keys = p_.keys;
    const bool forward = keys.matches(KeyBindings::FastForward, key);
    const bool backward = keys.matches(KeyBindings::Rewind, key);
    if (!forward && !backward)
        return false;

    CMovie &movie = p_.movie;
    double duration = 0;
    movie.duration(&duration);
    const double size = shift == kShift ? duration / 20 : 1.0;
    const double step = forward ? size : -size;

    PositionTimer &timer = p_.timer;
    timer.setTag(step);
    double position = 0;
    if (movie.currentPosition(&position))
        movie.setCurrentPosition(std::clamp(position + step, 0.0, std::max(duration, 0.0)));
    timer.tmrPosition()->setInterval(PositionTimer::kWindingInterval);
    if (p_.modes.fullScreen()) {
        p_.window.seekBarForFullscreen()->setValue(p_.window.seekBar()->value());
        p_.modes.show_fullscreen_panel();
    }
    watchForWindingEnd(true);
    return true;
}

bool CommandDispatch::isWindingKey(int key) const
{
    return p_.keys.matches(KeyBindings::FastForward, key) ||
           p_.keys.matches(KeyBindings::Rewind, key);
}

// While winding, the key may be let go over a popup menu or another window,
// or the window may lose the focus with the key still down: either ends it.
void CommandDispatch::watchForWindingEnd(bool on)
{
    if (!releaseWatch_) {
        releaseWatch_ = new ReleaseWatch(
            [this](int key) {
                if (isWindingKey(key))
                    stopWinding();
            },
            this);
    }
    if (on) {
        qApp->installEventFilter(releaseWatch_);
        connect(qApp, &QGuiApplication::focusWindowChanged, this,
                &CommandDispatch::stopWindingUnlessFocused, Qt::UniqueConnection);
    } else {
        qApp->removeEventFilter(releaseWatch_);
        disconnect(qApp, &QGuiApplication::focusWindowChanged, this,
                   &CommandDispatch::stopWindingUnlessFocused);
    }
}

void CommandDispatch::stopWindingUnlessFocused()
{
    if (QGuiApplication::focusWindow() != p_.window.windowHandle())
        stopWinding();
}

void CommandDispatch::stopWinding()
{
    watchForWindingEnd(false);
    PositionTimer &timer = p_.timer;
    timer.tmrPosition()->setInterval(PositionTimer::kNormalInterval);
    timer.setTag(0);
    p_.modes.hide_fullscreen_panel();
}

void CommandDispatch::changeVolume(int step)
{
    p_.volume.changeBy(step);
}

void CommandDispatch::setVolume(int value)
{
    p_.volume.set_movie_volume(value);
}

void CommandDispatch::on_key_up(int key, int shift)
{
    // Whatever else is held (Alt makes the table below inert), letting go of
    // the winding key ends the winding.
    if (isWindingKey(key))
        stopWinding();
    if (onKeyUpTable(key, shift))
        focus_video();
}

// The key-up table: the first row that matches acts.  True when the action
// ends by giving the video the focus.
bool CommandDispatch::onKeyUpTable(int key, int shift)
{
    const KeyBindings &keys = p_.keys;
    ListPanel &panel = p_.panel;
    CMovie &movie = p_.movie;

    // Alt makes every key inert but Enter, which toggles full screen.
    if (lastShift_ == kAlt) {
        if (key == vk::Enter)
            p_.modes.toggleFullScreen();
        return false;
    }
    if (key == vk::I && shift == kCtrl) {
        panel.selectTab(ListPanel::FavouritesPage);
        return true;
    }
    if ((key == vk::F && shift == kCtrl) || key == vk::F3) {
        panel.selectTab(ListPanel::SearchPage);
        if (panel.FindText->isVisible())
            panel.FindText->setFocus();
        return false;
    }
    if (keys.matches(KeyBindings::AddFavourite, key) || (key == vk::D && shift == kCtrl)) {
        addToFavourites();
        return true;
    }
    if (key == vk::M && shift == kCtrl) {
        p_.modes.toggleSmallMode();
        return false;
    }
    if (key == vk::W && shift == kCtrl) {
        p_.exit();
        return false;
    }
    if (key == vk::T && shift == kCtrl) {
        p_.modes.toggleTopmost();
        return false;
    }
    if (keys.matches(KeyBindings::Play, key) || key == vk::Enter) {
        MainWindow &window = p_.window;
        if (window.swallow_enter) {
            window.swallow_enter = false;
            return false;
        }
        p_.transport.play_Click();
        return true;
    }
    if (keys.matches(KeyBindings::Previous, key)) {
        p_.sequencer.play_prev();
        return true;
    }
    if (keys.matches(KeyBindings::Next, key)) {
        p_.sequencer.play_next();
        return true;
    }
    if (keys.matches(KeyBindings::Stop, key)) {
        if (movie.playState() == PlayState::Playing || movie.playState() == PlayState::Paused)
            p_.transport.stop_Click();
        return true;
    }
    if (key == vk::Esc) {
        p_.modes.leave_full_screen();
        return false;
    }
    if (keys.matches(KeyBindings::NormalSpeed, key)) {
        p_.speed.bai_Click(2);
        return false;
    }
    if (keys.matches(KeyBindings::DoubleSpeed, key)) {
        p_.speed.bai_Click(0);
        return false;
    }
    if (keys.matches(KeyBindings::HalfSpeed, key)) {
        p_.speed.bai_Click(3);
        return false;
    }
    if (key == vk::F1) {
        openHelp();
        return false;
    }
    if (key == vk::PageUp || key == vk::PageDown) {
        p_.modes.zoomStep(key == vk::PageUp ? 1 : -1);
        return false;
    }
    if (key == vk::F2) {
        p_.browser.rename_selection();
        return false;
    }
    if (key == vk::F4) {
        p_.browser.toggleDirectory();
        return false;
    }
    if (key == vk::F5) {
        p_.browser.refresh();
        return false;
    }
    if (key == vk::F6) {
        p_.transport.show_first_frame();
        return false;
    }
    if (key == vk::F8 || key == vk::Home) {
        if (!p_.modes.fullScreen())
            key == vk::F8 ? p_.modes.optimise_window() : p_.modes.zoom(1.0);
        return false;
    }
    if (keys.matches(KeyBindings::FastForward, key) || keys.matches(KeyBindings::Rewind, key)) {
        stopWinding();
        return false;
    }
    if (key == vk::Delete) {
        if (panel.selectedTab() == ListPanel::FavouritesPage)
            p_.favourites.delete_selected_okini();
        return false;
    }
    if (keys.matches(KeyBindings::Capture, key)) {
        p_.favourites.capture();
        return false;
    }
    if (key >= vk::Keypad0 && key <= vk::Keypad9) {
        const int n = key - vk::Keypad0;
        if (shift == kCtrl) {
            // Registering enables the slot's jump entry when it succeeds.
            p_.scenes.registerScene(n);
        } else {
            p_.scenes.jump(n);
        }
        return true;
    }
    return false;
}
