#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
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
    // Makes the volume on the queue's thread (which gives back a change a run
    // ended without giving back), then reads the volume as it is and tells
    // it by found().  Changes asked meanwhile are carried out after.
    explicit SystemVolumeQueue(const QString &restoreFile, QObject *parent = nullptr);
    ~SystemVolumeQueue() override;

    // Sets the system volume to the word (see SystemVolume::set_wave_volume).
    void set(std::uint32_t word);
    // At the end: waits for the change under way and the one waiting, then
    // gives the volume found back on the calling thread.  Nothing is carried
    // out after it.
    void restore();

signals:
    // The volume found at start, as a word (0 when it could not be read).
    void found(std::uint32_t word);
    // A change was carried out (whether the server took it or not).
    void changed(std::uint32_t word);

private:
    void startThread();
    void carryOutLatest();

    // Made on the queue's thread when only its file is given; used there
    // alone until the thread has ended.
    std::unique_ptr<SystemVolume> volume_;
    QString restoreFile_;
    QThread thread_;
    QObject *worker_ = nullptr;
    QMutex mutex_;
    std::optional<std::uint32_t> waiting_; // guarded by mutex_
};
