#include "app/shutdown.h"

#include "app/app_log.h"
#include "app/desktop_link.h"
#include "app/desktop_options.h"
#include "app/save_notice.h"
#include "app/state_saver.h"
#include "app/wave_volume.h"
#include "favourites/favourites_list.h"
#include "media/cmovie.h"
#include "playback/position_timer.h"
#include "search/search_page.h"

Shutdown::Shutdown(Parts parts) : p_(std::move(parts)) {}

void Shutdown::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    // The window is going: a file that cannot be saved now is told in the
    // log only.
    p_.notice.sessionEnding();

    // State files are saved first, then the session ends.  The picker and a
    // search still walking are let go, never waited for, so that what is
    // saved is what the user sees.
    p_.saver.stop();
    p_.favourites.closePicker();
    p_.search.cancel_search();
    qCDebug(lcApp) << "shut-down: writing the state files";
    p_.saver.saveAll();
    qCDebug(lcApp) << "shut-down: state files written";
    // The system volume goes back to where it was at start.
    p_.wave.restore();
    p_.desktopOptions.stop();
    p_.movie.MediaClear();
    p_.desktop.shutdown();
    p_.timer.stop();
}
