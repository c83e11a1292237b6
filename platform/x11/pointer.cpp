// The pointer position and the innermost window under it, found by asking the server for the
// pointer's child window level by level from the root down.
#include <X11/Xlib.h>

#include "platform/window_system.h"
#include "x11_display.h"

namespace platform {

PointerHit WindowUnderPointer() {
    PointerHit result;
    Display* d = x11::Connection();
    if (!d) return result;
    x11::ErrorTrap trap(d);  // a window may vanish between two questions
    Window root = DefaultRootWindow(d), rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(d, root, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask))
        return result;  // the pointer is on another screen
    Window deepest = 0;
    int deepestX = rootX, deepestY = rootY;
    // Window trees are shallow; the bound only guards against a server that never says "none".
    for (int depth = 0; child != 0 && depth < 64; ++depth) {
        Window w = child;
        child = 0;
        if (!XQueryPointer(d, w, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask)) break;
        deepest = w;
        deepestX = winX;
        deepestY = winY;
    }
    if (trap.Failed()) return result;
    result.found = true;
    result.rootX = rootX;
    result.rootY = rootY;
    result.window = deepest;
    result.windowX = deepestX;
    result.windowY = deepestY;
    return result;
}

}  // namespace platform
