#include "core/player.h"

#include "core/single_instance.h"
#include "core/termination_signals.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/position_timer.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QAction>
#include <QFrame>

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
    openAndPlay_ = std::make_unique<OpenAndPlay>(*movie_, window, *listPanel_, *positionTimer_);

    connect(&window, &MainWindow::closing, this, &Player::Form_Unload);
    connect(&window, &MainWindow::resized, openAndPlay_.get(), &OpenAndPlay::fitVideo);

    signals_ = std::make_unique<TerminationSignals>();
    connect(signals_.get(), &TerminationSignals::received, this, &Player::m_exit_Click);
}

void Player::m_exit_Click()
{
    if (window_)
        window_->close();
}
