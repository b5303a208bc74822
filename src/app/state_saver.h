#pragma once

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <functional>

class DesktopOptions;
class FavouritesList;
class KeyBindings;
class MoviePlaces;
class RegisteredFolders;
class Resume;
class SaveNotice;
class SearchPage;
class Settings;
class SettingsStore;

// Writes the state files: all of them at the end, and every few seconds
// while the program runs, so that a crash, a kill or a power cut loses no
// more than the last moments (a favourite just added, the list page, the
// resume point of the movie playing).  A file whose text has not changed
// since it was written is not written again (state_file::writeWhole), so
// the regular saves cost a few small writes while a movie plays and none
// while nothing changes.  The resume point (which changes while a movie
// plays) and the two long lists (which can hold tens of thousands of names,
// and are put into text only after they changed) are written on a thread of
// their own, so that the window never waits for the disk for them.
class StateSaver : public QObject
{
    Q_OBJECT
public:
    struct Parts {
        FavouritesList &favourites;
        SearchPage &search;
        SettingsStore &store;
        Resume &resume;
        const KeyBindings &keys;
        RegisteredFolders &folders;
        DesktopOptions &desktopOptions;
        const Settings &settings;
        const QString &programFolder;
        // Whether okini.ini was read at start: it is written back only then.
        std::function<bool()> favouritesWereRead;
        // Tells the user once that the state is not saved.
        SaveNotice &notice;
        // Where each movie was left (positions.ini).
        MoviePlaces &places;
    };

    static constexpr int kIntervalMs = 3000;

    explicit StateSaver(Parts parts, QObject *parent = nullptr);

    // Saves every few seconds from now on.
    void start();
    void stop();
    // Writes every state file, in the order the exit writes them.  A program
    // folder that takes no files is told once, not once a file.
    void saveAll();
    // The same, but the long lists only when they changed since.
    void saveChanges();
    // Whether the program folder takes files now, and is this user's alone;
    // says once in the log and to the user when it is not.
    bool stateCanBeSaved();

private:
    void save(bool everything);
    void saveFavourites(bool everything);
    void savePlaces(bool everything);
    // Puts a long list into text and writes it on the writer thread; flag is
    // set again when that fails, so a later save tries again.
    void writeLater(const QString &path, std::function<QByteArray()> text, bool &flag);

    Parts p_;
    QTimer timer_;
    // One thread: the writes of one file keep their order.
    QThreadPool writer_;
    bool unwritableFolderTold_ = false;
    bool unreadFavouritesTold_ = false;
    bool favouritesChanged_ = false;
    bool resultsChanged_ = false;
    bool placesChanged_ = false;
    // Only told: the resume point is written at every save anyway.
    bool resumeFailed_ = false;
};
