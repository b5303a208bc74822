#pragma once

#include "base/config_values.h"

#include <QString>

class DisplayModes;
class FavouritesList;
class FileBrowser;
class ListPanel;
class MainWindow;
class PlayMode;
class PlaySpeed;
class PrivateProfile;
class QScrollBar;
class Settings;
class WaveVolume;

// The settings kept in config.ini: read once at start-up, written at
// shut-down and, while the program runs, every few seconds by the state saver
// (a text that has not changed is not written again).  Values that belong to
// parts of the window not built here are passed through unchanged, so nothing
// a user set is lost.
class SettingsStore
{
public:
    // What the settings are read into and written from.
    struct Parts {
        MainWindow &window;
        ListPanel &panel;
        FileBrowser &browser;
        PlayMode &mode;
        PlaySpeed &speed;
        DisplayModes &modes;
        FavouritesList &favourites;
        // The options' system volume bar.
        QScrollBar &waveBar;
        WaveVolume &wave;
        Settings &settings;
        const QString &programFolder;
    };

    explicit SettingsStore(Parts parts);

    QString configPath() const;
    // The values read at start (or a first run's), as written back at the
    // end for the parts not built here.
    const ConfigValues &values() const { return config_; }

    // Applies the settings read from config.ini.
    void load_config(const PrivateProfile &stored);
    // Starts from the defaults, as when there is no config.ini.
    void applyFirstRunValues();
    // Writes config.ini from the window's state and the settings.
    void save_config();
    // The system volume bar shows the system volume found at start, where
    // the settings leave the system volume as it is (none kept, or a first
    // run); it arrives once the sound server has answered.
    void showSystemLevel(int level);

private:
    bool applyConfig(const QString &folder);
    void applyWindowOptions();
    void applyWaveLevel();

    Parts p_;
    ConfigValues config_;
};
