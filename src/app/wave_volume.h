#pragma once

#include <QString>
#include <memory>
#include <optional>

class SystemVolume;
class SystemVolumeQueue;

// The system volume as the options' volume bar sets it: found at start,
// given back at the end.  Before open() every call does nothing.  The
// start-up read waits for the sound server (up to its time limit); every
// change after it is carried out off the window's thread.
class WaveVolume
{
public:
    WaveVolume();
    ~WaveVolume();

    // Reads the system volume as it is before the settings change it; a
    // change a run ended without giving back is given back first.
    // restoreFile keeps the volume found until it is given back.
    void open(const QString &restoreFile);
    // The volume found at open(), as a value of the volume bar; none when it
    // could not be read.
    std::optional<int> startLevel() const { return startLevel_; }
    // Sets the system volume to a value of the volume bar, both channels
    // alike.  Asked here, carried out on a thread of its own: the window
    // never waits for the sound server.
    void set(int level);
    // Gives back the volume found at open().
    void restore();

private:
    std::unique_ptr<SystemVolumeQueue> queue_;
    std::optional<int> startLevel_;
};
