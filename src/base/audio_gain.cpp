#include "base/audio_gain.h"

#include <algorithm>
#include <cmath>

namespace audio_gain
{

double mpvVolumeFromHundredthsDb(std::int32_t hundredthsDb)
{
    const std::int32_t v = std::clamp(hundredthsDb, kSilent, kFull);
    if (v == kSilent)
        return 0.0;
    // gain = 10^(dB / 20) with dB = v / 100; the cube root turns the gain into
    // mpv's percentage.
    const double gain = std::pow(10.0, v / 2000.0);
    return 100.0 * std::cbrt(gain);
}

std::int32_t hundredthsDbFromMpvVolume(double percent)
{
    if (!(percent > 0.0))
        return kSilent;
    // Inverse of the above: v = 2000 * log10((percent / 100)^3).
    const double v = 6000.0 * std::log10(percent / 100.0);
    if (v <= kSilent)
        return kSilent;
    if (v >= kFull)
        return kFull;
    return static_cast<std::int32_t>(std::lround(v));
}

} // namespace audio_gain
