#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

class QObject;

// Questions about files that must never hold up the window: a share whose
// server went away can keep a stat() waiting for minutes.  Each question is
// asked on a thread of its own and answered on the thread of `context`, from
// its event loop; a question that gets no answer in time is answered
// NoAnswer, and its thread is left to finish whenever the system answers.
namespace file_probe
{

enum class Answer { File, Missing, NoAnswer };

constexpr int kDefaultTimeoutMs = 2000;

// Whether path names a regular file (symbolic links followed).  `then` runs
// once, later, on context's thread, unless context is gone by then.
void isFile(const QString &path, QObject *context, std::function<void(Answer)> then,
            int timeoutMs = kDefaultTimeoutMs);

// Any other question about files, asked the same way: work runs on a
// thread of its own, and its answer reaches `then` on context's thread;
// std::nullopt when none came in time.
void ask(std::function<QVariant()> work, QObject *context,
         std::function<void(std::optional<QVariant>)> then, int timeoutMs = kDefaultTimeoutMs);

// Questions whose thread has not returned yet, for the log and the tests.
int stuckQuestions();

} // namespace file_probe
