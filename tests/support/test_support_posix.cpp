// The system helpers of the test support on a POSIX system (see test_support.h).
#include <sys/resource.h>
#include <sys/stat.h>

#include "test_support.h"

namespace testsupport {

bool MakeFifo(const std::string& path) {
    return mkfifo(path.c_str(), 0600) == 0;
}

long PeakMemoryKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace testsupport
