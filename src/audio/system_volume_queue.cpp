#include "audio/system_volume_queue.h"

#include "audio/system_volume.h"

#include <QMetaObject>
#include <QMutexLocker>

SystemVolumeQueue::SystemVolumeQueue(std::unique_ptr<SystemVolume> volume, QObject *parent)
    : QObject(parent), volume_(std::move(volume))
{
    startThread();
}

SystemVolumeQueue::SystemVolumeQueue(const QString &restoreFile, QObject *parent)
    : QObject(parent), restoreFile_(restoreFile)
{
    startThread();
    QMetaObject::invokeMethod(worker_, [this] {
        volume_ = std::make_unique<SystemVolume>(restoreFile_);
        emit found(volume_->get_wave_volume());
    });
}

void SystemVolumeQueue::startThread()
{
    thread_.setObjectName("system volume");
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

SystemVolumeQueue::~SystemVolumeQueue()
{
    thread_.quit();
    thread_.wait();
}

void SystemVolumeQueue::set(std::uint32_t word)
{
    QMutexLocker lock(&mutex_);
    const bool alreadyAsked = waiting_.has_value();
    waiting_ = word;
    if (!alreadyAsked)
        QMetaObject::invokeMethod(worker_, [this] { carryOutLatest(); });
}

// On the worker thread, or on the caller's once the worker has ended.
void SystemVolumeQueue::carryOutLatest()
{
    std::optional<std::uint32_t> word;
    {
        QMutexLocker lock(&mutex_);
        word.swap(waiting_);
    }
    if (!word)
        return;
    volume_->set_wave_volume(*word);
    emit changed(*word);
}

void SystemVolumeQueue::restore()
{
    // What was asked last is carried out before the volume is given back,
    // which is checked against the last one set; a request the ended thread
    // left is carried out here.
    thread_.quit();
    thread_.wait();
    // A thread ended before it made the volume leaves it to be made here.
    if (!volume_)
        volume_ = std::make_unique<SystemVolume>(restoreFile_);
    carryOutLatest();
    volume_->restore();
}
