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

std::int32_t hundredthsDbFromBar(int barValue)
{
    return (std::clamp(barValue, 0, 100) - 100) * 50;
}

int barValueAt(int x, int usable)
{
    if (usable <= 0)
        return x > 0 ? 100 : 0;
    return int(std::clamp(std::lround(double(x) / usable * 100), 0L, 100L));
}

std::uint32_t waveWord(int scrollValue)
{
    const std::uint32_t level = std::uint32_t(std::clamp(scrollValue, -32768, 32767) + 32768);
    return level | (level << 16);
}

int scrollValueOfWord(std::uint32_t word)
{
    return int(word & 0xFFFFu) - 32768;
}

namespace
{
constexpr double kPulseNorm = 0x10000;
constexpr double kFullLevel = 0xFFFF;
} // namespace

std::uint32_t pulseVolumeFromLevel(std::uint16_t level)
{
    return std::uint32_t(std::lround(level * kPulseNorm / kFullLevel));
}

std::uint16_t levelFromPulseVolume(std::uint32_t volume)
{
    return std::uint16_t(std::min<long>(std::lround(volume * kFullLevel / kPulseNorm), 0xFFFF));
}

} // namespace audio_gain
