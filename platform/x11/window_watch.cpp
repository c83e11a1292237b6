// Watching for a window by its exact title from the lent event loop: the window found last is
// followed through the events the server sends about it, so a quiet tick asks nothing; in a
// Wayland session such a watch follows the process instead.
#include <X11/Xlib.h>

#include <string>

#include "platform/platform.h"
#include "platform/wayland/wayland_capture.h"
#include "x11_display.h"

namespace platform {
namespace {

struct Watch {
    std::string title;
    x11::TitledWindow found;
    // Whether the events say nothing of `found` since its title was last read. Only a window
    // of another program is followed this way: selecting events on one of the loop's own
    // windows would replace the loop's own selection.
    bool followed = false;
    bool quiet = false;
};
Watch watch;

// Sees every event of the connection before the loop does: any event about the
// followed window (its title or another property changed, destroyed, unmapped, moved) ends the
// quiet, and the next tick reads its title again.
int OnXEvent(void* event, void*) {
    const auto* e = static_cast<const XEvent*>(event);
    if (!watch.followed || e->xany.window != watch.found.window) return 0;
    watch.quiet = false;
    return 1;  // the loop knows nothing of another program's window
}

// Follows the window just found: events are selected first, then its title is read once more,
// so that no change after that read goes unseen. False when it has already lost the title.
bool Follow(Display* d, const x11::EventLoop& loop, std::string_view title) {
    watch.followed = !loop.ownsWindow(watch.found.window);
    if (watch.followed)
        XSelectInput(d, watch.found.window, StructureNotifyMask | PropertyChangeMask);
    watch.quiet = watch.followed;
    return x11::StillTitled(d, watch.found, title);
}

}  // namespace

bool WatchedWindowWithTitleExists(std::string_view title) {
    Display* d = x11::Connection();
    const x11::EventLoop* loop = x11::LentEventLoop();
    if (!d || !loop) return WindowWithTitleExists(title);
    static const bool filterAdded = (loop->addFilter(OnXEvent, nullptr), true);
    (void)filterAdded;
    if (watch.title == title && watch.found.window != 0) {
        if (watch.quiet) return true;
        // Quiet again from here: an event that comes while the title is read is not lost.
        watch.quiet = watch.followed;
        if (x11::StillTitled(d, watch.found, title)) return true;
    }
    watch.title = title;
    watch.followed = watch.quiet = false;
    watch.found = x11::FindTitledWindow(d, title);
    if (watch.found.window == 0) return false;
    if (Follow(d, *loop, title)) return true;
    // Renamed or destroyed between the search and the read: look once more; the next tick
    // searches again and follows what it finds.
    watch.found = {};
    watch.followed = watch.quiet = false;
    return x11::FindTitledWindow(d, title).window != 0;
}

bool WindowSearchMissesSurfaces() {
    static const bool misses = wayland::InSession();
    return misses;
}

}  // namespace platform
