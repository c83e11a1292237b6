// The system helpers of the test support on Windows (see test_support.h); its file system has
// no FIFOs.
#include <windows.h>
// After windows.h: it needs its types.
#include <psapi.h>

#include "test_support.h"

namespace testsupport {

bool MakeFifo(const std::string&) {
    return false;
}

long PeakMemoryKilobytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
}

}  // namespace testsupport
