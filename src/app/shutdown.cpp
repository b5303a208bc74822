// Shut-down of the program: the main window's unload sequence.

#include "app/player.h"

#include "app/desktop_link.h"
#include "app/desktop_options.h"

#include "app/app_log.h"
#include "audio/system_volume.h"
#include "base/program_folder.h"
#include "base/single_instance.h"
#include "favourites/favourites_list.h"
#include "library/registered_folders.h"
#include "media/cmovie.h"
#include "panels/list_colours.h"
#include "playback/position_timer.h"
#include "playback/resume.h"
#include "search/search_page.h"

#include <QTimer>

void Player::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;

    // Each step stands alone: one that fails must not keep the others from
    // running.  State files are saved first, then the session ends.  A
    // program folder that takes no files is told once, not once a file.
    const bool saving = stateCanBeSaved();
    if (saving)
        qCDebug(lcApp) << "shut-down: writing the state files";
    if (favourites_) {
        if (saving && favouritesLoaded_)
            favourites_->save_okini(favourites_->okiniPath());
        else if (saving)
            qCWarning(lcApp) << "favourites not saved:" << favourites_->okiniPath()
                             << "could not be read at start and is left as it is";
        favourites_->closePicker();
    }
    if (searchPage_) {
        // A search still walking is let go, never waited for.
        searchPage_->cancel_search();
        if (saving)
            searchPage_->save_search_results();
    }
    if (saving && window_ && fileBrowser_)
        save_config();
    // The system volume goes back to where it was at start.
    if (systemVolume_)
        systemVolume_->restore();
    if (saving) {
        if (resume_)
            resume_->save_resume();
        keys_.save(programFolder_);
        if (registeredFolders_)
            registeredFolders_->save_dirs(relativePathsOn());
        if (desktopOptions_)
            desktopOptions_->listColours().save(programFolder_ + "color.ini");
        qCDebug(lcApp) << "shut-down: state files written";
    }
    if (desktopOptions_)
        desktopOptions_->stop();
    if (movie_)
        movie_->MediaClear();
    if (desktop_)
        desktop_->shutdown();
    if (positionTimer_)
        positionTimer_->stop();
}

bool Player::stateCanBeSaved()
{
    if (program_folder::canWriteIn(programFolder_))
        return true;
    if (!unwritableFolderTold_)
        qCWarning(lcApp) << "cannot write the program folder" << programFolder_
                         << "- the settings and lists of this session are not saved";
    unwritableFolderTold_ = true;
    return false;
}
