#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class SystemVolumeQueue;

// The system volume as the options' volume bar sets it: found at start,
// given back at the end.  Before open() every call does nothing.  The sound
// server is asked only on a thread of its own, the read at start as well:
// the window never waits for it.
class WaveVolume : public QObject
{
    Q_OBJECT
public:
    WaveVolume();
    ~WaveVolume() override;

    // Asks for the system volume as it is before the settings change it; a
    // change a run ended without giving back is given back first.
    // restoreFile keeps the volume found until it is given back.
    void open(const QString &restoreFile);
    // The volume found at open(), as a value of the volume bar; none while
    // it is not known yet or could not be read.
    std::optional<int> startLevel() const { return startLevel_; }
    // Sets the system volume to a value of the volume bar, both channels
    // alike.  Asked here, carried out on a thread of its own.
    void set(int level);
    // Gives back the volume found at open().
    void restore();

signals:
    // The volume found at open() is known, and nothing has been set since:
    // a bar that follows the system volume may show it.
    void startLevelFound(int level);

private:
    void onFound(std::uint32_t word);

    std::unique_ptr<SystemVolumeQueue> queue_;
    std::optional<int> startLevel_;
    bool setSinceOpen_ = false;
};
