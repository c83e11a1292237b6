// The pointer's display counter; the pointer is hidden with XFixes while it is below zero.
// The server shows the pointer again when our connection closes, so a host that dies never
// leaves it hidden.
#include <X11/extensions/Xfixes.h>

#include "platform/window_system.h"
#include "x11_display.h"

namespace platform {
namespace {

std::int32_t counter = 0;
bool hidden = false;

void Apply() {
    Display* d = x11::Connection();
    if (!d) return;
    int eventBase = 0, errorBase = 0;
    if (!XFixesQueryExtension(d, &eventBase, &errorBase)) return;
    const bool wantHidden = counter < 0;
    if (wantHidden == hidden) return;
    x11::ErrorTrap trap(d);
    if (wantHidden)
        XFixesHideCursor(d, DefaultRootWindow(d));
    else
        XFixesShowCursor(d, DefaultRootWindow(d));
    XFlush(d);
    hidden = wantHidden;
}

}  // namespace

std::int32_t ShowCursor(bool show) {
    counter += show ? 1 : -1;
    Apply();
    return counter;
}

}  // namespace platform
