#pragma once

#include <QByteArray>

// Which of mpv's audio outputs are tried.  Left to itself mpv tries every
// output it knows, and the libraries behind those with nothing to talk to
// (PipeWire without its server, ALSA without a sound card, JACK) write their
// failures straight to the terminal, past the program's log, for every movie.
// Only outputs with something behind them are tried, and none at all (mpv's
// silent output, which keeps the time as a sound card would) where nothing
// is there.  With the media debug log on mpv chooses as it would, so that
// what it finds shows in full.
namespace audio_outputs
{

struct Machine {
    // A PipeWire server's socket (or PIPEWIRE_REMOTE).
    bool pipewire = false;
    // A PulseAudio server's socket (or PULSE_SERVER); PipeWire's stand-in
    // for it counts.
    bool pulse = false;
    // A sound card's playback device under /dev/snd.
    bool soundCard = false;
};

// mpv's "ao" list; empty for mpv's own choice.
QByteArray choose(const Machine &machine, bool debugLog);

// This machine as it is now.
Machine thisMachine();

} // namespace audio_outputs
