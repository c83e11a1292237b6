// Embedding the preview form in a foreign X window: the parent's rectangle, making the form's
// window a child of it, and noticing through the lent event loop when the parent (or the form's
// window) is destroyed.
#include <X11/Xlib.h>

#include <memory>

#include "platform/base.h"
#include "platform/window_system.h"
#include "x11_display.h"

namespace platform {
namespace {

struct Watch {
    Window parent;
    Window child;
    std::function<void()> gone;
    bool fired = false;
};

void RunGone(void* data) {
    auto* watch = static_cast<Watch*>(data);
    if (watch->gone) watch->gone();
}

// Sees every X event before the loop does. Destroying a window destroys its children first, so
// whichever of the two notices arrives first ends the embedding.
int OnXEvent(void* event, void* data) {
    const auto* e = static_cast<const XEvent*>(event);
    auto* watch = static_cast<Watch*>(data);
    if (e->type != DestroyNotify) return 0;
    const Window w = e->xdestroywindow.window;
    if (w != watch->parent && w != watch->child) return 0;
    if (!watch->fired) {
        watch->fired = true;
        // Out of the event dispatch: `gone` may take the loop's windows down.
        x11::LentEventLoop()->runSoon(RunGone, watch);
    }
    return 1;  // the loop has nothing to do for a window that no longer exists
}

bool IsChildOf(Display* d, Window child, Window parent) {
    return x11::ParentOf(d, child) == parent;
}

}  // namespace

std::optional<WindowRect> WindowScreenRect(NativeWindow id) {
    Display* d = x11::Connection();
    if (!d || id == 0) return std::nullopt;
    x11::ErrorTrap trap(d);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(d, id, &attributes) || trap.Failed()) return std::nullopt;
    int left = 0, top = 0;
    Window unused = 0;
    if (!XTranslateCoordinates(d, id, attributes.root, 0, 0, &left, &top, &unused) || trap.Failed())
        return std::nullopt;
    return WindowRect{left, top, left + attributes.width, top + attributes.height};
}

bool EmbedWindow(NativeWindow child, NativeWindow parent, int x, int y,
                 std::function<void()> gone) {
    Display* d = x11::Connection();
    const x11::EventLoop* loop = x11::LentEventLoop();
    if (!d || !loop || child == 0 || parent == 0) return false;
    // From here on requests may race with the parent's destruction and fail with BadWindow as
    // a rule: such errors are nobody's news.
    x11::HandleUntrappedErrors(x11::UntrappedErrors::Ignore);
    {
        x11::ErrorTrap trap(d);
        // Selected before anything else, so that a parent destroyed from here on is noticed.
        XSelectInput(d, parent, StructureNotifyMask);
        XReparentWindow(d, child, parent, x, y);
        if (trap.Failed() || !IsChildOf(d, child, parent)) return false;
    }
    // One watch per process; it lives as long as the process does.
    static std::unique_ptr<Watch> watch;
    if (watch) loop->removeFilter(OnXEvent);
    watch = std::make_unique<Watch>(Watch{parent, child, std::move(gone)});
    loop->addFilter(OnXEvent, watch.get());
    return true;
}

}  // namespace platform
