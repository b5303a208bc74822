#include "base/background_priority.h"

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
    // On Linux a thread has its own niceness, set through its thread id.
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNiceness);
}
