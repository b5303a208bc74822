#pragma once

#include <QString>
#include <functional>

class CMovie;
class DesktopLink;
class DesktopOptions;
class FavouritesList;
class KeyBindings;
class PositionTimer;
class RegisteredFolders;
class SaveNotice;
class Resume;
class SearchPage;
class Settings;
class SettingsStore;
class WaveVolume;

// Shut-down of the program: the main window's unload sequence.  The state
// files are saved, then the session ends.
class Shutdown
{
public:
    // What is saved and what is ended.
    struct Parts {
        FavouritesList &favourites;
        SearchPage &search;
        SettingsStore &store;
        WaveVolume &wave;
        Resume &resume;
        const KeyBindings &keys;
        RegisteredFolders &folders;
        DesktopOptions &desktopOptions;
        CMovie &movie;
        DesktopLink &desktop;
        PositionTimer &timer;
        const Settings &settings;
        const QString &programFolder;
        // Whether okini.ini was read at start: it is written back only then.
        std::function<bool()> favouritesWereRead;
        // Tells the user once that the state is not saved.
        SaveNotice &notice;
    };

    explicit Shutdown(Parts parts);

    // Saves state and ends the session.  Runs once.
    void Form_Unload();
    // Whether the program folder takes files now; says once, in the log and
    // to the user, when it does not.
    bool stateCanBeSaved();

private:
    Parts p_;
    bool unloaded_ = false;
    bool unwritableFolderTold_ = false;
};
