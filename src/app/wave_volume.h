#pragma once

#include <QString>
#include <memory>
#include <optional>

class SystemVolume;

// The system volume as the options' volume bar sets it: found at start,
// given back at the end.  Before open() every call does nothing.
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
    // alike.
    void set(int level);
    // Gives back the volume found at open().
    void restore();

private:
    std::unique_ptr<SystemVolume> volume_;
    std::optional<int> startLevel_;
};
