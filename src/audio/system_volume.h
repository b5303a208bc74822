#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// The system playback volume: the volume of the sound server's default
// output (sink), as the two-channel word of the options' volume bar (left
// level in the low 16 bits, right in the high, 0xFFFF full).  Without a
// server every call fails quietly.
//
// The program leaves the system volume as it found it.  The first change
// records the output's name and volume in a file of the program folder;
// restore() puts that volume back and removes the file, at the end of the
// program or, after an end that never got there, at the next start.  A
// volume the user changed meanwhile (the output no longer has the last
// volume the program set) is left as the user set it.
class SystemVolume
{
public:
    // restoreFile: where the volume found is kept until it is given back.
    explicit SystemVolume(QString restoreFile);
    ~SystemVolume();

    // The default output's volume word; 0 without a server or output.
    std::uint32_t get_wave_volume();
    // Sets the default output to the word's two levels.  Nothing without a
    // server.
    void set_wave_volume(std::uint32_t word);
    // Gives back the volume found before the first change, if the program
    // changed it and the user did not.
    void restore();

private:
    struct Output {
        QString name;
        std::vector<std::uint32_t> channels; // PulseAudio volumes
        std::vector<bool> rightSide;         // channel i is a right-hand one
    };
    class Connection;

    std::optional<Output> defaultOutput();
    std::optional<Output> outputNamed(const QString &name);
    bool setChannels(const QString &name, const std::vector<std::uint32_t> &channels);
    void writeRestoreFile(const Output &found, const std::vector<std::uint32_t> &set) const;

    QString restoreFile_;
    std::unique_ptr<Connection> connection_;
    bool recorded_ = false;
};
