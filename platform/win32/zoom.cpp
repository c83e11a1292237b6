// The caption zoom animation: the system's own outline animation between two rectangles.
#include <windows.h>

#include "platform/window_system.h"

namespace platform {

void AnimateZoom(const WindowRect& from, const WindowRect& to) {
    const RECT a{from.left, from.top, from.right, from.bottom};
    const RECT b{to.left, to.top, to.right, to.bottom};
    // The system bounds its own animation's time; with animations off it draws nothing.
    DrawAnimatedRects(nullptr, IDANI_CAPTION, &a, &b);
}

}  // namespace platform
