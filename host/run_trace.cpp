// Timing marks for the start-up benchmark (see run_trace.h).
#include "host/run_trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace run {

void TraceMark(const char* label) {
    static const char* const path = std::getenv("VELMORA_TIMING");
    if (!path || !*path) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[160];
    const int n = std::snprintf(line, sizeof line, "%s %lld %d\n", label,
                                static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                                static_cast<int>(getpid()));
    if (n <= 0) return;
    // One write to a file opened for appending: lines of both programs never interleave.
    const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    const size_t length = static_cast<size_t>(n) < sizeof line ? n : sizeof line - 1;
    [[maybe_unused]] const ssize_t written = write(fd, line, length);
    close(fd);
}

}  // namespace run
