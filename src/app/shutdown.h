#pragma once

#include <QString>

class CMovie;
class DesktopLink;
class DesktopOptions;
class FavouritesList;
class PositionTimer;
class SaveNotice;
class SearchPage;
class StateSaver;
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
        StateSaver &saver;
        WaveVolume &wave;
        DesktopOptions &desktopOptions;
        CMovie &movie;
        DesktopLink &desktop;
        PositionTimer &timer;
        // Told that the window is going: a save that fails now is only logged.
        SaveNotice &notice;
    };

    explicit Shutdown(Parts parts);

    // Saves state and ends the session.  Runs once.
    void Form_Unload();

private:
    Parts p_;
    bool unloaded_ = false;
};
