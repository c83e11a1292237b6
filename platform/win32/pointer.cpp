// The pointer position and the window under it.
#include <windows.h>

#include "platform/window_system.h"

namespace platform {

PointerHit WindowUnderPointer() {
    PointerHit result;
    POINT screen{};
    if (!GetCursorPos(&screen)) return result;  // e.g. on a locked desktop
    result.found = true;
    result.rootX = screen.x;
    result.rootY = screen.y;
    result.windowX = screen.x;
    result.windowY = screen.y;
    HWND window = WindowFromPoint(screen);
    if (!window || window == GetDesktopWindow()) return result;  // the desktop counts as the root
    POINT local = screen;
    if (!ScreenToClient(window, &local)) return PointerHit{};  // it vanished meanwhile
    result.window = reinterpret_cast<std::uintptr_t>(window);
    result.windowX = local.x;
    result.windowY = local.y;
    return result;
}

}  // namespace platform
