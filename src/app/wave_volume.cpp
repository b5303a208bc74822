#include "app/wave_volume.h"

#include "audio/system_volume_queue.h"
#include "base/audio_gain.h"

WaveVolume::WaveVolume() = default;

WaveVolume::~WaveVolume() = default;

void WaveVolume::open(const QString &restoreFile)
{
    queue_ = std::make_unique<SystemVolumeQueue>(restoreFile);
    connect(queue_.get(), &SystemVolumeQueue::found, this, &WaveVolume::onFound);
}

void WaveVolume::onFound(std::uint32_t word)
{
    if (!word)
        return;
    startLevel_ = audio_gain::scrollValueOfWord(word);
    // A level the settings or the user set meanwhile stays.
    if (!setSinceOpen_)
        emit startLevelFound(*startLevel_);
}

void WaveVolume::set(int level)
{
    if (!queue_)
        return;
    setSinceOpen_ = true;
    queue_->set(audio_gain::waveWord(level));
}

void WaveVolume::restore()
{
    if (queue_)
        queue_->restore();
}
