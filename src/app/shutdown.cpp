// Shut-down of the program: the main window's unload sequence.

#include "app/player.h"

#include "base/single_instance.h"
#include "media/cmovie.h"
#include "playback/position_timer.h"

void Player::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;

    // Each step stands alone: one that fails must not keep the others from
    // running.  State files are saved first, then the session ends.
    if (window_ && fileBrowser_)
        save_config();
    keys_.save(programFolder_);
    if (movie_)
        movie_->MediaClear();
    if (positionTimer_)
        positionTimer_->stop();
}
