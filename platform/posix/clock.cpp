// The monotonic clock and the process id on a POSIX system (see platform.h).
#include <time.h>
#include <unistd.h>

#include "platform/platform.h"

namespace platform {

std::int64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

std::int32_t CurrentProcessId() {
    return static_cast<std::int32_t>(getpid());
}

}  // namespace platform
