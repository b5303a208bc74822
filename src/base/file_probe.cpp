#include "base/file_probe.h"

#include "base/base_log.h"
#include "base/native_path.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

namespace file_probe
{
namespace
{

// Threads still waiting on the system.  A dead share leaves one behind per
// question; past this many the answer is NoAnswer at once rather than yet
// another thread stuck in the kernel.
constexpr int kMostWaiting = 32;
std::atomic<int> waiting{0};

// One question: answered once, by the thread or by the time-out, whichever
// comes first.
struct Question {
    QPointer<QObject> context;
    std::function<void(bool)> then;
    std::atomic<bool> answered{false};

    void answer(bool inTime)
    {
        if (answered.exchange(true))
            return;
        QObject *target = context.data();
        if (!target)
            return;
        QMetaObject::invokeMethod(
            target,
            [then = std::move(then), guard = QPointer<QObject>(target), inTime] {
                if (guard)
                    then(inTime);
            },
            Qt::QueuedConnection);
    }
};

} // namespace

namespace detail
{

void askAway(const QString &what, std::function<void()> work, QObject *context,
             std::function<void(bool)> then, int timeoutMs)
{
    auto question = std::make_shared<Question>();
    question->context = context;
    question->then = std::move(then);
    if (waiting.load() >= kMostWaiting) {
        qCWarning(lcBase) << "too many file questions still unanswered; counting" << what
                          << "as not answering";
        question->answer(false);
        return;
    }
    QTimer::singleShot(timeoutMs, context, [question, what] {
        if (!question->answered.load())
            qCWarning(lcBase) << "no answer about" << what << "in time";
        question->answer(false);
    });
    ++waiting;
    try {
        std::thread([question, work = std::move(work)] {
            work();
            --waiting;
            question->answer(true);
        }).detach();
    } catch (const std::system_error &) {
        --waiting;
        question->answer(false);
    }
}

} // namespace detail

void isFile(const QString &path, QObject *context, std::function<void(Answer)> then, int timeoutMs)
{
    ask<bool>(
        path, [path] { return native_path::isFile(path); }, context,
        [then = std::move(then)](std::optional<bool> there) {
            then(!there ? Answer::NoAnswer : *there ? Answer::File : Answer::Missing);
        },
        timeoutMs);
}

int stuckQuestions()
{
    return waiting.load();
}

} // namespace file_probe
