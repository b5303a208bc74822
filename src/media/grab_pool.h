#pragma once

#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QThread>
#include <functional>
#include <memory>
#include <utility>

class QThreadPool;

// Frame grabs off the window's thread, their results handed back on the
// thread of the object that asked.  A grab may outlive that object (a slow or
// dead mount): its result is then dropped, and at exit a grab that does not
// end within two seconds is left to itself rather than holding the program up.
class GrabPool
{
public:
    // what names the grabs in the log line of one left at exit.
    GrabPool(QObject &receiver, int maxThreads, QThread::Priority priority, const char *what);
    ~GrabPool();
    GrabPool(const GrabPool &) = delete;
    GrabPool &operator=(const GrabPool &) = delete;

    // Runs grab() on the pool, then done(result) on the receiver's thread,
    // unless the receiver is gone by then.
    template <typename Grab, typename Done> void start(Grab grab, Done done)
    {
        startWork([alive = alive_, grab = std::move(grab), done = std::move(done)]() mutable {
            auto result = grab();
            const QMutexLocker lock(&alive->mutex);
            if (!alive->receiver)
                return;
            QMetaObject::invokeMethod(
                alive->receiver,
                [done = std::move(done), result = std::move(result)]() mutable {
                    done(std::move(result));
                },
                Qt::QueuedConnection);
        });
    }

    // Drops the grabs still waiting; those under way finish.
    void clear();

private:
    struct Alive {
        QMutex mutex;
        QObject *receiver = nullptr;
    };
    void startWork(std::function<void()> work);

    std::shared_ptr<Alive> alive_;
    QThreadPool *pool_;
    const char *what_;
};
