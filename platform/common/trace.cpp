// Timing marks (see trace.h).
#include "platform/trace.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/base.h"

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
    Mark(label, {});
}

void Mark(const char* label, std::string_view note) {
    const char* path = TimingFile();
    if (!path) return;
    char line[160];
    const int n = std::snprintf(line, sizeof line, "%s %lld %d", label,
                                static_cast<long long>(platform::MonotonicNanoseconds()),
                                static_cast<int>(platform::CurrentProcessId()));
    if (n <= 0) return;
    std::string text(line, static_cast<std::size_t>(n) < sizeof line ? n : sizeof line - 1);
    if (!note.empty()) {
        text += ' ';
        for (char c : note) text += c == '\n' || c == '\r' ? ' ' : c;
    }
    text += '\n';
    // One append per mark: lines of both programs never interleave.
    platform::AppendToFile(path, text);
}

}  // namespace trace
