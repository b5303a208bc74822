#include "core/player.h"

#include "core/single_instance.h"
#include "core/termination_signals.h"
#include "library/file_browser.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"
#include "playback/play_speed.h"
#include "playback/position_timer.h"
#include "playback/transport.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

Player::Player() = default;

Player::~Player()
{
    Form_Unload();
}

// Creates the window and the parts that work on it, and wires them together.
void Player::buildParts()
{
    window_ = std::make_unique<MainWindow>();
    MainWindow &window = *window_;

    listPanel_ = std::make_unique<ListPanel>(window.list(), window.directory(), window.display(),
                                             window.button("capture"), *movie_);
    playMode_ = std::make_unique<PlayMode>(&window, window.button("mode"));
    positionTimer_ = std::make_unique<PositionTimer>(*movie_, window, *playMode_);
    playSpeed_ = std::make_unique<PlaySpeed>(*movie_, &window, window.button("speed"));
    openAndPlay_ = std::make_unique<OpenAndPlay>(*movie_, window, *listPanel_, *positionTimer_,
                                                 *playSpeed_);
    fileBrowser_ = std::make_unique<FileBrowser>(window, *listPanel_, *movie_, *openAndPlay_);
    sequencer_ = std::make_unique<PlaySequencer>(*movie_, *listPanel_, *fileBrowser_,
                                                 *openAndPlay_, *playMode_);
    transport_ = std::make_unique<Transport>(*movie_, window, *listPanel_, *fileBrowser_,
                                             *openAndPlay_, *positionTimer_, *sequencer_);
    fileBrowser_->setHooks({[this] { transport_->stop_Click(); }});
    connect(positionTimer_.get(), &PositionTimer::nextItemWanted, sequencer_.get(),
            &PlaySequencer::play_next);
    attachToolbarMenus();

    connect(&window, &MainWindow::closing, this, &Player::Form_Unload);
    connect(&window, &MainWindow::resized, openAndPlay_.get(), &OpenAndPlay::fitVideo);

    signals_ = std::make_unique<TerminationSignals>();
    connect(signals_.get(), &TerminationSignals::received, this, &Player::m_exit_Click);
}

// The speed and mode buttons open their menus right under themselves.
void Player::attachToolbarMenus()
{
    const std::pair<const char *, QMenu *> menus[] = {{"speed", playSpeed_->menu()},
                                                     {"mode", playMode_->menu()}};
    for (const auto &[key, menu] : menus) {
        QAction *button = window_->button(key);
        button->setMenu(menu);
        if (auto *tool = qobject_cast<QToolButton *>(window_->panel()->widgetForAction(button)))
            tool->setPopupMode(QToolButton::InstantPopup);
    }
}

void Player::m_exit_Click()
{
    if (window_)
        window_->close();
}
