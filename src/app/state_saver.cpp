#include "app/state_saver.h"

#include "app/app_log.h"
#include "app/desktop_options.h"
#include "app/save_notice.h"
#include "app/settings_store.h"
#include "base/folder_file.h"
#include "base/key_bindings.h"
#include "base/program_folder.h"
#include "base/settings.h"
#include "base/state_file.h"
#include "favourites/favourites_list.h"
#include "favourites/favourites_store.h"
#include "library/registered_folders.h"
#include "panels/list_colours.h"
#include "playback/movie_places.h"
#include "playback/resume.h"
#include "search/search_page.h"

#include "favourites/favourites_model.h"

#include <QElapsedTimer>

namespace
{

// Sets flag whenever the names of model change.  A picture that arrives
// (a thumbnail) or a name greyed out changes nothing that is written.
void watchNames(QAbstractItemModel &model, QObject *context, bool &flag)
{
    const auto changed = [&flag] { flag = true; };
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, context, changed);
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, context, changed);
    QObject::connect(&model, &QAbstractItemModel::rowsMoved, context, changed);
    QObject::connect(&model, &QAbstractItemModel::modelReset, context, changed);
    QObject::connect(&model, &QAbstractItemModel::layoutChanged, context, changed);
    QObject::connect(&model, &QAbstractItemModel::dataChanged, context,
                     [&flag](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                         if (roles.isEmpty() || roles.contains(Qt::DisplayRole) ||
                             roles.contains(Qt::EditRole))
                             flag = true;
                     });
}

} // namespace

StateSaver::StateSaver(Parts parts, QObject *parent) : QObject(parent), p_(std::move(parts))
{
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &StateSaver::saveChanges);
    writer_.setMaxThreadCount(1);
    watchNames(p_.favourites.model(), this, favouritesChanged_);
    watchNames(p_.search.results(), this, resultsChanged_);
    // Folders are written relative to the program folder or not by this
    // option.
    connect(&p_.places, &MoviePlaces::changed, this, [this] { placesChanged_ = true; });
    connect(&p_.settings, &Settings::changed, this, [this](Settings::Option option) {
        if (option == Settings::Soutai)
            favouritesChanged_ = resultsChanged_ = true;
    });
}

void StateSaver::start()
{
    // What was read at start is what the files hold.
    favouritesChanged_ = resultsChanged_ = false;
    timer_.start();
}

void StateSaver::stop()
{
    timer_.stop();
}

void StateSaver::saveAll()
{
    // A long list still being written goes first; what follows replaces it
    // with the list as it is now.
    writer_.waitForDone();
    save(true);
}

void StateSaver::saveChanges()
{
    save(false);
}

void StateSaver::save(bool everything)
{
    // Each step stands alone: one that fails must not keep the others from
    // running.
    if (!stateCanBeSaved())
        return;
    QElapsedTimer clock;
    clock.start();
    saveFavourites(everything);
    if (everything)
        p_.search.save_search_results();
    else if (resultsChanged_)
        writeLater(p_.search.statePath(), p_.search.resultsText(), resultsChanged_);
    p_.store.save_config();
    // Changes every few seconds while a movie plays: written on the writer
    // thread, where waiting for the disk holds nothing up.
    if (everything)
        p_.resume.save_resume();
    else if (p_.resume.fileMayBeWritten())
        writeLater(
            p_.resume.statePath(), [text = p_.resume.resumeText()] { return text; }, resumeFailed_);
    savePlaces(everything);
    p_.keys.save(p_.programFolder);
    p_.folders.save_dirs(p_.settings.relativePaths());
    p_.desktopOptions.listColours().save(p_.programFolder + "color.ini");
    // Long lists make this the slow part of a tick; the log tells when it
    // grows to be felt.
    if (clock.elapsed() > 40)
        qCInfo(lcApp) << "saving the state files took" << clock.elapsed() << "ms";
    else
        qCDebug(lcApp) << "state files saved in" << clock.elapsed() << "ms";
}

// okini.ini, never over a file that could not be read at start.  The long
// list is put into text on the writer thread while the program runs.
void StateSaver::saveFavourites(bool everything)
{
    const FavouritesStore &store = p_.favourites.store();
    if (!p_.favouritesWereRead()) {
        if (!unreadFavouritesTold_)
            qCWarning(lcApp) << "favourites not saved:" << store.okiniPath()
                             << "could not be read at start and is left as it is";
        unreadFavouritesTold_ = true;
        return;
    }
    const bool relative = p_.settings.relativePaths();
    if (everything) {
        FavouritesStore::write(store.okiniPath(), p_.favourites.entries(), relative);
    } else if (favouritesChanged_) {
        const QString path = store.okiniPath();
        writeLater(
            path,
            [path, entries = p_.favourites.entries(), relative] {
                return FavouritesStore::text(entries, path, relative);
            },
            favouritesChanged_);
    }
}

// Changes only as movies are left: written whole when one was, on the writer
// thread while the program runs.  At the end the movie loaded is left too.
void StateSaver::savePlaces(bool everything)
{
    if (everything)
        p_.places.keepLoadedPlace();
    if (!placesChanged_ || !p_.places.fileMayBeWritten())
        return;
    if (everything) {
        placesChanged_ = !state_file::writeWhole(p_.places.statePath(), p_.places.text());
        return;
    }
    writeLater(
        p_.places.statePath(), [text = p_.places.text()] { return text; }, placesChanged_);
}

void StateSaver::writeLater(const QString &path, std::function<QByteArray()> text, bool &flag)
{
    // Cleared now: a change while the file is written is saved next time.
    flag = false;
    writer_.start([this, path, text = std::move(text), &flag] {
        if (state_file::writeWhole(path, text()))
            return;
        QMetaObject::invokeMethod(
            this, [&flag] { flag = true; }, Qt::QueuedConnection);
    });
}

bool StateSaver::stateCanBeSaved()
{
    // Another user who can write the folder could put a link under a state
    // file's name, or change the state behind the program's back.
    const bool closed = folder_file::isClosedToOthers(p_.programFolder);
    if (closed && program_folder::canWriteIn(p_.programFolder))
        return true;
    if (!unwritableFolderTold_) {
        if (closed) {
            qCWarning(lcApp) << "cannot write the program folder" << p_.programFolder
                             << "- the settings and lists of this session are not saved";
            p_.notice.cannotSaveIn(p_.programFolder);
        } else {
            qCWarning(lcApp) << "the program folder" << p_.programFolder
                             << "is not this user's alone (another user's, or others can write"
                             << "it) - the settings and lists of this session are not saved";
            p_.notice.notPrivate(p_.programFolder);
        }
    }
    unwritableFolderTold_ = true;
    return false;
}
