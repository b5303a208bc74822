#include "base/background_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

// Low enough that the window's threads are chosen first whenever they can
// run, not so low that a search crawls beside a playing movie.
constexpr int kNiceness = 10;

} // namespace

void background_priority::lowerThisThread()
{
    // Batch work for the scheduler: it does not take the processor from a
    // thread that wakes up, such as the window's.
    const sched_param batch{};
    (void)pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);
    // And a smaller share beside busy threads.  On Linux a thread has its
    // own niceness, set through its thread id.
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNiceness);
}
