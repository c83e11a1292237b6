// The monotonic clock and the process id on Windows (see platform.h).
#include <windows.h>

#include "platform/platform.h"

namespace platform {

std::int64_t MonotonicNanoseconds() {
    // The performance counter is the same in every process of the machine.
    static const std::int64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const std::int64_t seconds = now.QuadPart / frequency;
    const std::int64_t rest = now.QuadPart % frequency;
    return seconds * 1000000000LL + rest * 1000000000LL / frequency;
}

std::int32_t CurrentProcessId() {
    return static_cast<std::int32_t>(GetCurrentProcessId());
}

}  // namespace platform
