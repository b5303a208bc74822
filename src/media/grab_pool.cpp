#include "media/grab_pool.h"
#include "media/media_log.h"

#include <QThreadPool>

GrabPool::GrabPool(QObject &receiver, int maxThreads, QThread::Priority priority, const char *what)
    : alive_(std::make_shared<Alive>()), pool_(new QThreadPool), what_(what)
{
    alive_->receiver = &receiver;
    pool_->setMaxThreadCount(maxThreads);
    pool_->setThreadPriority(priority);
}

GrabPool::~GrabPool()
{
    {
        const QMutexLocker lock(&alive_->mutex);
        alive_->receiver = nullptr;
    }
    pool_->clear();
    // A grab stuck on a dead mount must not hold up the exit: its pool is
    // left to it.
    if (pool_->waitForDone(2000))
        delete pool_;
    else
        qCInfo(lcMedia) << "a" << what_ << "grab did not end; leaving it";
}

void GrabPool::clear()
{
    pool_->clear();
}

void GrabPool::startWork(std::function<void()> work)
{
    pool_->start(std::move(work));
}
