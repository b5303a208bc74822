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
    std::function<void(std::optional<QVariant>)> then;
    std::atomic<bool> answered{false};

    void answer(std::optional<QVariant> a)
    {
        if (answered.exchange(true))
            return;
        QObject *target = context.data();
        if (!target)
            return;
        QMetaObject::invokeMethod(
            target,
            [then = std::move(then), guard = QPointer<QObject>(target), a = std::move(a)] {
                if (guard)
                    then(a);
            },
            Qt::QueuedConnection);
    }
};

} // namespace

void ask(std::function<QVariant()> work, QObject *context,
         std::function<void(std::optional<QVariant>)> then, int timeoutMs)
{
    auto question = std::make_shared<Question>();
    question->context = context;
    question->then = std::move(then);
    if (waiting.load() >= kMostWaiting) {
        qCWarning(lcBase) << "too many file questions still unanswered; giving up on one more";
        question->answer(std::nullopt);
        return;
    }
    QTimer::singleShot(timeoutMs, context, [question] {
        if (!question->answered.load())
            qCDebug(lcBase) << "a question about files got no answer in time";
        question->answer(std::nullopt);
    });
    ++waiting;
    try {
        std::thread([question, work = std::move(work)] {
            QVariant answer = work();
            --waiting;
            question->answer(std::move(answer));
        }).detach();
    } catch (const std::system_error &) {
        --waiting;
        question->answer(std::nullopt);
    }
}

void isFile(const QString &path, QObject *context, std::function<void(Answer)> then, int timeoutMs)
{
    ask([path] { return QVariant(native_path::isFile(path)); }, context,
        [path, then = std::move(then)](std::optional<QVariant> there) {
            if (!there)
                qCWarning(lcBase) << "no answer about" << path << "in time";
            then(!there ? Answer::NoAnswer : there->toBool() ? Answer::File : Answer::Missing);
        },
        timeoutMs);
}

int stuckQuestions()
{
    return waiting.load();
}

} // namespace file_probe
