// Timing marks for the benchmarks and the display tests, written by both programs and the
// platform's module loader. When $VELMORA_TIMING names a file, each mark appends one line
// "<label> <monotonic clock in ns> <pid>" to it; without it a mark costs one check.
#pragma once

#include <string_view>

namespace trace {

// Appends the mark `label` (no blanks, under 120 bytes) to the timing file, if there is one.
void Mark(const char* label);

// The same mark with a note after the pid, in words ("capture-failed <ns> <pid> <why>"): line
// breaks become blanks, so that the mark stays one line; the note is kept whole, however long.
void Mark(const char* label, std::string_view note);

// True when marks are written.
bool Enabled();

}  // namespace trace
