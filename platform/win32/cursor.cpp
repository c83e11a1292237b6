// The pointer's display counter: the system's own, which hides the pointer below zero.
#include <windows.h>

#include "platform/window_system.h"

namespace platform {

std::int32_t ShowCursor(bool show) {
    return ::ShowCursor(show ? TRUE : FALSE);
}

}  // namespace platform
