#include "app/shutdown.h"

#include "app/app_log.h"
#include "app/desktop_link.h"
#include "app/desktop_options.h"
#include "app/save_notice.h"
#include "app/settings_store.h"
#include "app/wave_volume.h"
#include "base/key_bindings.h"
#include "base/program_folder.h"
#include "base/settings.h"
#include "favourites/favourites_list.h"
#include "library/registered_folders.h"
#include "media/cmovie.h"
#include "panels/list_colours.h"
#include "playback/position_timer.h"
#include "playback/resume.h"
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

    // Each step stands alone: one that fails must not keep the others from
    // running.  State files are saved first, then the session ends.  A
    // program folder that takes no files is told once, not once a file.
    const bool saving = stateCanBeSaved();
    if (saving)
        qCDebug(lcApp) << "shut-down: writing the state files";
    if (saving && p_.favouritesWereRead())
        p_.favourites.save_okini(p_.favourites.okiniPath());
    else if (saving)
        qCWarning(lcApp) << "favourites not saved:" << p_.favourites.okiniPath()
                         << "could not be read at start and is left as it is";
    p_.favourites.closePicker();
    // A search still walking is let go, never waited for.
    p_.search.cancel_search();
    if (saving)
        p_.search.save_search_results();
    if (saving)
        p_.store.save_config();
    // The system volume goes back to where it was at start.
    p_.wave.restore();
    if (saving) {
        p_.resume.save_resume();
        p_.keys.save(p_.programFolder);
        p_.folders.save_dirs(p_.settings.relativePaths());
        p_.desktopOptions.listColours().save(p_.programFolder + "color.ini");
        qCDebug(lcApp) << "shut-down: state files written";
    }
    p_.desktopOptions.stop();
    p_.movie.MediaClear();
    p_.desktop.shutdown();
    p_.timer.stop();
}

bool Shutdown::stateCanBeSaved()
{
    if (program_folder::canWriteIn(p_.programFolder))
        return true;
    if (!unwritableFolderTold_) {
        qCWarning(lcApp) << "cannot write the program folder" << p_.programFolder
                         << "- the settings and lists of this session are not saved";
        p_.notice.cannotSaveIn(p_.programFolder);
    }
    unwritableFolderTold_ = true;
    return false;
}
