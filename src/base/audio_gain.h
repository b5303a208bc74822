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

} // namespace audio_gain
