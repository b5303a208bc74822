#pragma once

#include <cstdint>

// Conversion between the program's volume unit, hundredths of a decibel (0 is
// full volume, -10000 silence), and mpv's volume percentage, which is cubic:
// a gain g plays at 100 * cbrt(g) percent.
namespace audio_gain
{

constexpr std::int32_t kSilent = -10000;
constexpr std::int32_t kFull = 0;

// Values outside kSilent..kFull are clamped; kSilent gives 0 (muted).
double mpvVolumeFromHundredthsDb(std::int32_t hundredthsDb);
// Rounds to the nearest hundredth of a decibel; 0 percent (or anything too
// quiet to express) gives kSilent, anything above 100 percent gives kFull.
std::int32_t hundredthsDbFromMpvVolume(double percent);

// The movie volume bar runs 0..100: 100 is full volume, every step below
// takes half a decibel off, so 0 is -50 dB.  Muting uses kSilent, which the
// bar cannot reach.
std::int32_t hundredthsDbFromBar(int barValue);

// The bar value under the pointer at x on a bar whose usable width is
// `usable` pixels, limited to 0..100.
int barValueAt(int x, int usable);

// The system volume word: two 16-bit channel levels (left low, right high),
// 0xFFFF full.  The options' scroll bar holds a level as a value
// -32768..32767; a word gets that level on both channels.
std::uint32_t waveWord(int scrollValue);
// The scroll-bar value of a word's left channel.
int scrollValueOfWord(std::uint32_t word);

// A channel level 0..0xFFFF as a PulseAudio volume, where 0x10000 is the
// sound card's normal level, and back (louder than normal reads as full).
std::uint32_t pulseVolumeFromLevel(std::uint16_t level);
std::uint16_t levelFromPulseVolume(std::uint32_t volume);

} // namespace audio_gain
