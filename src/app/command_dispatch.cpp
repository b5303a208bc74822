#include "app/command_dispatch.h"

#include "app/app_log.h"
#include "app/chapter_menus.h"
#include "base/key_bindings.h"
#include "base/native_path.h"
#include "base/program_folder.h"
#include "base/virtual_keys.h"
#include "display/display_modes.h"
#include "display/movie_volume.h"
#include "favourites/favourites_list.h"
#include "input/main_menu.h"
#include "input/window_key_filter.h"
#include "library/file_browser.h"
#include "library/rename_prompt.h"
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

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QSlider>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <array>

namespace
{

using namespace virtual_keys;

constexpr int kAnyShift = -1;
constexpr int kNoBinding = -1;

// Which keys a rule answers: one key code, a bound function, or a test of the
// code; with exactly the given shift bits, or with any.  A match left empty
// answers no key.
struct KeyMatch {
    int code = None;
    int binding = kNoBinding;
    bool (*test)(int code) = nullptr;
    int shift = kAnyShift;

    bool matches(const KeyBindings &keys, int key, int keyShift) const
    {
        if (shift != kAnyShift && keyShift != shift)
            return false;
        if (test)
            return test(key);
        if (binding != kNoBinding)
            return keys.matches(binding, key);
        return code != None && key == code;
    }
};

constexpr KeyMatch fixedKey(int code, int shift = kAnyShift)
{
    return {code, kNoBinding, nullptr, shift};
}

constexpr KeyMatch bound(KeyBindings::Function function)
{
    return {None, function, nullptr, kAnyShift};
}

constexpr KeyMatch keyWhere(bool (*test)(int code), int shift = kAnyShift)
{
    return {None, kNoBinding, test, shift};
}

bool isKeypadDigit(int code)
{
    return code >= Keypad0 && code <= Keypad9;
}

template <std::size_t N>
bool anyMatches(const KeyMatch (&matches)[N], const KeyBindings &keys, int key, int shift)
{
    return std::any_of(std::begin(matches), std::end(matches),
                       [&](const KeyMatch &match) { return match.matches(keys, key, shift); });
}

// The volume keys of the key-down handler: keypad + and -, or Ctrl and the
// main keyboard's "+" and "-" keys.
const KeyMatch kVolumeUp[] = {fixedKey(KeypadAdd), fixedKey(OemPlus, ControlBit)};
const KeyMatch kVolumeDown[] = {fixedKey(KeypadSubtract), fixedKey(OemMinus, ControlBit)};

enum class Focus { Stays, ToVideo };

} // namespace

// A row of the key-up table: the first row whose keys match the released key
// (and whose condition holds, where it has one) acts.
struct CommandDispatch::KeyUpRow {
    std::array<KeyMatch, 2> keys;
    void (*act)(CommandDispatch &dispatch, int key);
    // Whether the video area takes the focus after the action.
    Focus focus;
    bool (*when)(const CommandDispatch &dispatch) = nullptr;

    bool answers(const KeyBindings &bindings, int key, int shift) const
    {
        return keys[0].matches(bindings, key, shift) || keys[1].matches(bindings, key, shift);
    }
};

CommandDispatch::CommandDispatch(Parts parts) : QObject(&parts.window), p_(std::move(parts))
{
    MainWindow &window = p_.window;
    const QList<QWidget *> mouseSources = {window.display(), window.control(), window.time(),
                                           window.display()->logo()};
    for (QWidget *source : mouseSources)
        source->installEventFilter(this);

    WindowKeyFilter::Handlers keys;
    keys.pressed = [this](int key, int shift, bool autoRepeat) {
        // While winding, the held key's repeats are not new presses.
        if (!autoRepeat || p_.timer.tag() == 0)
            on_key_down(key, shift);
    };
    keys.released = [this](int key, int shift) { on_key_up(key, shift); };
    keys.wanted = [this](int key, int shift) { return wants(key, shift); };
    keys.releasedElsewhere = [this](int key) { stopWindingOnRelease(key); };
    new WindowKeyFilter(window, std::move(keys), this);
    connectMenus();
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
// data folder, shown by the desktop's browser.  Where none opens it, the user
// is told where the page is.
void CommandDispatch::openHelp()
{
    const QString help = program_folder::helpFile(native_path::executableDir());
    if (help.isEmpty()) {
        qCInfo(lcApp) << "no help.html beside the program or in its data folder";
        rename_prompt::notice(p_.window, QString::fromUtf8("ヘルプ (help.html) が見つかりません"));
        return;
    }
    // xdg-open says whether a browser took the page; Qt's own call only
    // whether xdg-open could be started.
    auto *opener = new QProcess(this);
    const auto tell = [this, opener, help] {
        opener->deleteLater();
        qCInfo(lcApp) << "no browser opened" << help;
        rename_prompt::notice(p_.window,
                              QString::fromUtf8("ヘルプを開くブラウザが見つかりません。\n"
                                                "ヘルプはこちらです: ") +
                                  native_path::displayName(help));
    };
    connect(opener, &QProcess::errorOccurred, this, [tell](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            tell();
    });
    connect(opener, &QProcess::finished, this,
            [opener, tell](int exitCode, QProcess::ExitStatus status) {
                if (exitCode != 0 || status != QProcess::NormalExit)
                    tell();
                else
                    opener->deleteLater();
            });
    // The address, not the name, so that bytes that are not UTF-8 survive.
    opener->start(QStringLiteral("xdg-open"),
                  {QString::fromLatin1(native_path::toFileUrl(help).toEncoded())});
}

bool CommandDispatch::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return handleMouse(qobject_cast<QWidget *>(watched), static_cast<QMouseEvent *>(event));
    case QEvent::MouseMove:
        return dragWindowOnMove(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        dragFrom_.reset();
        return QObject::eventFilter(watched, event);
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
            dragFrom_ = event->globalPosition().toPoint();
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

// Dragging the video or the control panel moves the window.  The window
// manager's move starts once the pointer moves with the button held: started
// at the press, a click whose release came with it (a touchpad tap) would
// leave the window manager moving the window until the next click.
bool CommandDispatch::dragWindowOnMove(QMouseEvent *event)
{
    if (!dragFrom_ || !event->buttons().testFlag(Qt::LeftButton))
        return false;
    const QPoint moved = event->globalPosition().toPoint() - *dragFrom_;
    if (moved.manhattanLength() < QApplication::startDragDistance())
        return true;
    dragFrom_.reset();
    if (QWindow *handle = p_.window.windowHandle())
        handle->startSystemMove();
    return true;
}

void CommandDispatch::popupMenuAtVideo()
{
    QWidget *display = p_.window.display();
    popupMenu(display->mapToGlobal(display->rect().center()));
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
    if (p_.timer.tag() == 0 && startWinding(key, shift))
        focus_video();

    if (anyMatches(kVolumeUp, p_.keys, key, shift)) {
        changeVolume(5);
        focus_video();
    } else if (anyMatches(kVolumeDown, p_.keys, key, shift)) {
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
    const double size = shift == ShiftBit ? duration / 20 : 1.0;
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

// While winding, the key may be let go over a popup menu, in a text box or
// in another window (stopWindingOnRelease), or the window may lose the focus
// with the key still down: either ends it.
void CommandDispatch::watchForWindingEnd(bool on)
{
    if (on) {
        connect(qApp, &QGuiApplication::focusWindowChanged, this,
                &CommandDispatch::stopWindingUnlessFocused, Qt::UniqueConnection);
    } else {
        disconnect(qApp, &QGuiApplication::focusWindowChanged, this,
                   &CommandDispatch::stopWindingUnlessFocused);
    }
}

void CommandDispatch::stopWindingOnRelease(int key)
{
    if (p_.timer.tag() != 0 && isWindingKey(key))
        stopWinding();
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
    // Alt makes every key inert but Enter, which toggles full screen.  The
    // shift is the one held when this key went down (see WindowKeyFilter),
    // so letting go of Alt before Enter still toggles, and a key pressed
    // before Alt is not made inert by it.
    if (shift == AltBit) {
        if (key == Enter)
            p_.modes.toggleFullScreen();
        return;
    }
    const KeyUpRow *row = keyUpRowFor(key, shift);
    if (!row)
        return;
    row->act(*this, key);
    if (row->focus == Focus::ToVideo)
        focus_video();
}

const CommandDispatch::KeyUpRow *CommandDispatch::keyUpRowFor(int key, int shift) const
{
    for (const KeyUpRow &row : keyUpRows()) {
        if (row.answers(p_.keys, key, shift) && (!row.when || row.when(*this)))
            return &row;
    }
    return nullptr;
}

// Whether a key means something here, pressed or let go, whatever state the
// program is in.
bool CommandDispatch::wants(int key, int shift) const
{
    if (isWindingKey(key) || anyMatches(kVolumeUp, p_.keys, key, shift) ||
        anyMatches(kVolumeDown, p_.keys, key, shift))
        return true;
    const auto rows = keyUpRows();
    return std::any_of(rows.begin(), rows.end(),
                       [&](const KeyUpRow &row) { return row.answers(p_.keys, key, shift); });
}

// The key-up table.  Order matters where a binding is also a fixed key: the
// row that comes first wins (a play binding on F1 plays, a capture binding on
// a keypad digit jumps to the scene, a winding binding on Delete deletes).
std::span<const CommandDispatch::KeyUpRow> CommandDispatch::keyUpRows()
{
    using D = CommandDispatch;
    static const KeyUpRow rows[] = {
        {{fixedKey('I', ControlBit)},
         [](D &d, int) { d.p_.panel.selectTab(ListPanel::FavouritesPage); },
         Focus::ToVideo},
        {{fixedKey('F', ControlBit), fixedKey(F3)},
         [](D &d, int) {
             ListPanel &panel = d.p_.panel;
             panel.selectTab(ListPanel::SearchPage);
             if (panel.FindText->isVisible())
                 panel.FindText->setFocus();
         },
         Focus::Stays},
        {{bound(KeyBindings::AddFavourite), fixedKey('D', ControlBit)},
         [](D &d, int) { d.addToFavourites(); },
         Focus::ToVideo},
        {{fixedKey('M', ControlBit)},
         [](D &d, int) { d.p_.modes.toggleSmallMode(); },
         Focus::Stays},
        {{fixedKey('W', ControlBit)}, [](D &d, int) { d.p_.exit(); }, Focus::Stays},
        {{fixedKey('T', ControlBit)}, [](D &d, int) { d.p_.modes.toggleTopmost(); }, Focus::Stays},
        // The Enter that closed an input box is let go over the window.
        {{bound(KeyBindings::Play), fixedKey(Enter)},
         [](D &d, int) { d.p_.window.swallow_enter = false; },
         Focus::Stays,
         [](const D &d) { return d.p_.window.swallow_enter; }},
        {{bound(KeyBindings::Play), fixedKey(Enter)},
         [](D &d, int) { d.p_.transport.play_Click(); },
         Focus::ToVideo},
        {{bound(KeyBindings::Previous)},
         [](D &d, int) { d.p_.sequencer.play_prev(); },
         Focus::ToVideo},
        {{bound(KeyBindings::Next)}, [](D &d, int) { d.p_.sequencer.play_next(); }, Focus::ToVideo},
        {{bound(KeyBindings::Stop)},
         [](D &d, int) {
             // A movie being opened stops too: it would play on otherwise.
             if (d.p_.movie.playState() == PlayState::Playing ||
                 d.p_.movie.playState() == PlayState::Paused || d.p_.movie.isOpening() ||
                 d.p_.sequencer.stepPending())
                 d.p_.transport.stop_Click();
         },
         Focus::ToVideo},
        {{fixedKey(Escape)}, [](D &d, int) { d.p_.modes.leave_full_screen(); }, Focus::Stays},
        {{bound(KeyBindings::NormalSpeed)},
         [](D &d, int) { d.p_.speed.bai_Click(2); },
         Focus::Stays},
        {{bound(KeyBindings::DoubleSpeed)},
         [](D &d, int) { d.p_.speed.bai_Click(0); },
         Focus::Stays},
        {{bound(KeyBindings::HalfSpeed)}, [](D &d, int) { d.p_.speed.bai_Click(3); }, Focus::Stays},
        {{bound(KeyBindings::NextChapter)},
         [](D &d, int) { ChapterMenus::jumpToNext(d.p_.movie); },
         Focus::Stays},
        {{bound(KeyBindings::PreviousChapter)},
         [](D &d, int) { ChapterMenus::jumpToPrevious(d.p_.movie); },
         Focus::Stays},
        {{fixedKey(PageUp)}, [](D &d, int) { d.p_.modes.zoomStep(1); }, Focus::Stays},
        {{fixedKey(PageDown)}, [](D &d, int) { d.p_.modes.zoomStep(-1); }, Focus::Stays},
        {{fixedKey(F1)}, [](D &d, int) { d.openHelp(); }, Focus::Stays},
        {{fixedKey(F2)}, [](D &d, int) { d.p_.browser.rename_selection(); }, Focus::Stays},
        {{fixedKey(F4)}, [](D &d, int) { d.p_.browser.toggleDirectory(); }, Focus::Stays},
        {{fixedKey(F5)}, [](D &d, int) { d.p_.browser.refresh(); }, Focus::Stays},
        {{fixedKey(F6)}, [](D &d, int) { d.p_.transport.show_first_frame(); }, Focus::Stays},
        {{fixedKey(F8)},
         [](D &d, int) {
             if (!d.p_.modes.fullScreen())
                 d.p_.modes.optimise_window();
         },
         Focus::Stays},
        {{fixedKey(Home)},
         [](D &d, int) {
             if (!d.p_.modes.fullScreen())
                 d.p_.modes.zoom(1.0);
         },
         Focus::Stays},
        {{fixedKey(Delete)},
         [](D &d, int) {
             if (d.p_.panel.selectedTab() == ListPanel::FavouritesPage)
                 d.p_.favourites.delete_selected_okini();
         },
         Focus::Stays},
        {{bound(KeyBindings::FastForward), bound(KeyBindings::Rewind)},
         [](D &d, int) { d.stopWinding(); },
         Focus::Stays},
        // Registering enables the slot's jump entry when it succeeds.
        {{keyWhere(isKeypadDigit, ControlBit)},
         [](D &d, int key) { d.p_.scenes.registerScene(key - Keypad0); },
         Focus::ToVideo},
        {{keyWhere(isKeypadDigit)},
         [](D &d, int key) { d.p_.scenes.jump(key - Keypad0); },
         Focus::ToVideo},
        {{bound(KeyBindings::Capture)},
         [](D &d, int) { d.p_.favourites.capture(); },
         Focus::ToVideo},
        // The keyboard's way to the main popup menu, and so to the menus of
        // the sound tracks and subtitles.
        {{fixedKey(Apps), fixedKey(F10, ShiftBit)},
         [](D &d, int) { d.popupMenuAtVideo(); },
         Focus::Stays},
    };
    return rows;
}
