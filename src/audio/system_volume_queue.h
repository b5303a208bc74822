#pragma once

#include <QMutex>
#include <QObject>
#include <QThread>
#include <cstdint>
#include <memory>
#include <optional>

class SystemVolume;

// Changes of the system volume, carried out on a thread of their own: the
// sound server may take its time to answer (up to its time limit, on every
// call), and the window's thread never waits for it.  Requests go out at
// once; when several come while one is carried out (a volume bar being
// dragged), only the latest is carried out next.  Each change carried out is
// told by changed().
class SystemVolumeQueue : public QObject
{
    Q_OBJECT
public:
    // Takes over volume, which no one else uses from now on.
    explicit SystemVolumeQueue(std::unique_ptr<SystemVolume> volume, QObject *parent = nullptr);
    ~SystemVolumeQueue() override;

    // Sets the system volume to the word (see SystemVolume::set_wave_volume).
    void set(std::uint32_t word);
    // At the end: waits for the change under way and the one waiting, then
    // gives the volume found back on the calling thread.  Nothing is carried
    // out after it.
    void restore();

signals:
    // A change was carried out (whether the server took it or not).
    void changed(std::uint32_t word);

private:
    void carryOutLatest();

    std::unique_ptr<SystemVolume> volume_;
    QThread thread_;
    QObject *worker_ = nullptr;
    QMutex mutex_;
    std::optional<std::uint32_t> waiting_; // guarded by mutex_
};
