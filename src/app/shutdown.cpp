// Shut-down of the program: the main window's unload sequence.

#include "app/player.h"

#include "app/desktop_link.h"
#include "app/desktop_options.h"

#include "base/single_instance.h"
#include "favourites/favourites_list.h"
#include "library/registered_folders.h"
#include "media/cmovie.h"
#include "playback/position_timer.h"
#include "playback/resume.h"
#include "search/search_page.h"

#include <QTimer>

void Player::Form_Unload()
{
    if (unloaded_)
        return;
    // An open waits for mpv in an event loop of its own; shutting down from
    // inside it would pull the session away under that open.  Abort the open
    // and shut down once it has returned.
    if (movie_ && movie_->isBusy()) {
        movie_->MediaClose();
        QTimer::singleShot(0, this, &Player::Form_Unload);
        return;
    }
    unloaded_ = true;

    // Each step stands alone: one that fails must not keep the others from
    // running.  State files are saved first, then the session ends.
    if (favourites_ && favouritesLoaded_) {
        favourites_->save_okini(favourites_->okiniPath());
        favourites_->closePicker();
    }
    if (searchPage_) {
        // A search still walking is let go, never waited for.
        searchPage_->cancel_search();
        searchPage_->save_search_results();
    }
    if (window_ && fileBrowser_)
        save_config();
    if (resume_)
        resume_->save_resume();
    keys_.save(programFolder_);
    if (registeredFolders_)
        registeredFolders_->save_dirs(relativePathsOn());
    if (desktopOptions_)
        desktopOptions_->stop(programFolder_ + "color.ini");
    if (movie_)
        movie_->MediaClear();
    if (desktop_)
        desktop_->shutdown();
    if (positionTimer_)
        positionTimer_->stop();
}
