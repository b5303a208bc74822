#pragma once

#include <QString>
#include <functional>
#include <memory>
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

// Any question of that kind: `question` runs on a thread of its own, and
// `then` gets what it returned, or nothing when it did not return within
// timeoutMs (or too many earlier questions are still waiting).  `what` names
// the question in the log.
template <typename T>
void ask(const QString &what, std::function<T()> question, QObject *context,
         std::function<void(std::optional<T>)> then, int timeoutMs = kDefaultTimeoutMs);

// Questions whose thread has not returned yet, for the log and the tests.
int stuckQuestions();

namespace detail
{
// work runs on a thread of its own; answered(true) once it returned in time.
void askAway(const QString &what, std::function<void()> work, QObject *context,
             std::function<void(bool answered)> then, int timeoutMs);
} // namespace detail

template <typename T>
void ask(const QString &what, std::function<T()> question, QObject *context,
         std::function<void(std::optional<T>)> then, int timeoutMs)
{
    // Shared with the thread, which may outlive the question when it came
    // too late; it is read here only once the thread has returned in time.
    auto result = std::make_shared<std::optional<T>>();
    detail::askAway(
        what, [question = std::move(question), result] { *result = question(); }, context,
        [result, then = std::move(then)](bool answered) {
            then(answered ? std::move(*result) : std::nullopt);
        },
        timeoutMs);
}

} // namespace file_probe
