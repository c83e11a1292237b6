// Calls that every backend offers for the tests alone: product code has no use for them and
// includes the platform's headers only.
#pragma once

#include <string_view>

#include "platform/base.h"

namespace platform {

// True when any window of the display, mapped or not, carries exactly this title: a search of
// its own each time, as WindowWithAnyTitleExists makes one. (x11/window_watch.cpp,
// win32/window_watch.cpp)
bool WindowWithTitleExists(std::string_view title);

// Lets go of what the backend holds for `process` (the handle on Windows, the errors pipe)
// without waiting for or ending the program; `process` is "nothing started" afterwards.
// (posix/process.cpp, win32/process.cpp)
void ReleaseProgram(Process& process);

}  // namespace platform
