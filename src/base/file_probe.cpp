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
    std::function<void(Answer)> then;
    std::atomic<bool> answered{false};

    void answer(Answer a)
    {
        if (answered.exchange(true))
            return;
        QObject *target = context.data();
        if (!target)
            return;
        QMetaObject::invokeMethod(
            target,
            [then = std::move(then), guard = QPointer<QObject>(target), a] {
                if (guard)
                    then(a);
            },
            Qt::QueuedConnection);
    }
};

} // namespace

void isFile(const QString &path, QObject *context, std::function<void(Answer)> then, int timeoutMs)
{
    auto question = std::make_shared<Question>();
    question->context = context;
    question->then = std::move(then);
    if (waiting.load() >= kMostWaiting) {
        qCWarning(lcBase) << "too many file questions still unanswered; counting" << path
                          << "as not answering";
        question->answer(Answer::NoAnswer);
        return;
    }
    QTimer::singleShot(timeoutMs, context, [question, path] {
        if (!question->answered.load())
            qCWarning(lcBase) << "no answer about" << path << "in time";
        question->answer(Answer::NoAnswer);
    });
    ++waiting;
    try {
        std::thread([question, path] {
            const bool there = native_path::isFile(path);
            --waiting;
            question->answer(there ? Answer::File : Answer::Missing);
        }).detach();
    } catch (const std::system_error &) {
        --waiting;
        question->answer(Answer::NoAnswer);
    }
}

int stuckQuestions()
{
    return waiting.load();
}

} // namespace file_probe
