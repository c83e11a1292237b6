// Timing marks for the benchmarks and the display tests, written by both programs. When
// $VELMORA_TIMING names a file, each mark appends one line "<label> <monotonic clock in ns>
// <pid>" to it; without it a mark costs one check.
#pragma once

namespace trace {

// Appends the mark `label` (no blanks, under 120 bytes) to the timing file, if there is one.
void Mark(const char* label);

// True when marks are written.
bool Enabled();

}  // namespace trace
