// Timing marks for the start-up benchmark. When $VELMORA_TIMING names a file, each mark appends
// one line "<label> <monotonic clock in ns> <pid>" to it; without it a mark costs one check.
#pragma once

namespace run {

void TraceMark(const char* label);

}  // namespace run
