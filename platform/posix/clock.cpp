// The monotonic clock, sleeping until a time on it, and the process id on a POSIX system (see
// base.h).
#include <errno.h>
#include <time.h>
#include <unistd.h>

#include "platform/base.h"

namespace platform {

std::int64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void SleepUntil(std::int64_t deadline) {
    if (deadline <= 0) return;
    const timespec until{static_cast<time_t>(deadline / 1000000000LL),
                         static_cast<long>(deadline % 1000000000LL)};
    // An absolute wake-up on the same clock: a signal's interruption resumes toward the same
    // moment, and no time is lost between reading the clock and going to sleep.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

std::int32_t CurrentProcessId() {
    return static_cast<std::int32_t>(getpid());
}

}  // namespace platform
