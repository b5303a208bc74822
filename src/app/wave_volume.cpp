#include "app/wave_volume.h"

#include "audio/system_volume.h"
#include "audio/system_volume_queue.h"
#include "base/audio_gain.h"

WaveVolume::WaveVolume() = default;

WaveVolume::~WaveVolume() = default;

void WaveVolume::open(const QString &restoreFile)
{
    auto volume = std::make_unique<SystemVolume>(restoreFile);
    if (const std::uint32_t word = volume->get_wave_volume())
        startLevel_ = audio_gain::scrollValueOfWord(word);
    queue_ = std::make_unique<SystemVolumeQueue>(std::move(volume));
}

void WaveVolume::set(int level)
{
    if (queue_)
        queue_->set(audio_gain::waveWord(level));
}

void WaveVolume::restore()
{
    if (queue_)
        queue_->restore();
}
