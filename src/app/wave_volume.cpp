#include "app/wave_volume.h"

#include "audio/system_volume.h"
#include "base/audio_gain.h"

WaveVolume::WaveVolume() = default;

WaveVolume::~WaveVolume() = default;

void WaveVolume::open(const QString &restoreFile)
{
    volume_ = std::make_unique<SystemVolume>(restoreFile);
    if (const std::uint32_t word = volume_->get_wave_volume())
        startLevel_ = audio_gain::scrollValueOfWord(word);
}

void WaveVolume::set(int level)
{
    if (volume_)
        volume_->set_wave_volume(audio_gain::waveWord(level));
}

void WaveVolume::restore()
{
    if (volume_)
        volume_->restore();
}
