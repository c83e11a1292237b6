// Timing marks (see trace.h).
#include "shared/trace.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/platform.h"

namespace trace {
namespace {

const char* TimingFile() {
    static const char* const path = std::getenv("VELMORA_TIMING");
    return path && *path ? path : nullptr;
}

}  // namespace

bool Enabled() {
    return TimingFile() != nullptr;
}

void Mark(const char* label) {
    const char* path = TimingFile();
    if (!path) return;
    char line[160];
    const int n = std::snprintf(line, sizeof line, "%s %lld %d\n", label,
                                static_cast<long long>(platform::MonotonicNanoseconds()),
                                static_cast<int>(platform::CurrentProcessId()));
    if (n <= 0) return;
    const std::size_t length = static_cast<std::size_t>(n) < sizeof line ? n : sizeof line - 1;
    // One append per mark: lines of both programs never interleave.
    platform::AppendToFile(path, std::string_view(line, length));
}

}  // namespace trace
