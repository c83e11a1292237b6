// The window queries by exact title (see window_system.h), answered by one WindowWatch object: the
// window found last is asked again in one round trip instead of a search, and a watch that asks
// every tick of the lent event loop follows that window through the events the server sends
// about it, so a quiet tick asks nothing. In a Wayland session such a watch follows the process
// instead (WindowSearchMissesSurfaces).
#include <X11/Xlib.h>

#include <span>
#include <string>

#include "platform/common/for_tests.h"
#include "platform/window_system.h"
#include "x11_display.h"

namespace platform {
namespace {

using Titles = std::span<const std::string_view>;

class WindowWatch {
  public:
    // Whether a window carries exactly `title`: the window found last for it is asked first.
    bool Exists(Display* d, std::string_view title) {
        if (title_ == title && x11::StillTitled(d, found_, title)) return true;
        Forget();
        title_ = title;
        found_ = x11::FindTitledWindow(d, title);
        return found_.window != 0;
    }

    // Whether a window carries one of `titles`: one search for all of them, nothing kept.
    static bool AnyExists(Display* d, Titles titles) {
        return !titles.empty() && x11::FindTitledWindow(d, titles).window != 0;
    }

    // Exists, for a caller that asks every tick of `loop`: the window found is followed through
    // its events, and while none came, the answer is yes without asking the server.
    bool Watched(Display* d, const x11::EventLoop& loop, std::string_view title) {
        if (title_ == title && found_.window != 0) {
            if (quiet_) return true;
            // Quiet again from here: an event that comes while the title is read is not lost.
            quiet_ = followed_;
            if (x11::StillTitled(d, found_, title)) return true;
        }
        Forget();
        title_ = title;
        found_ = x11::FindTitledWindow(d, title);
        if (found_.window == 0) return false;
        if (Follow(d, loop)) return true;
        // Renamed or destroyed between the search and the read: look once more; the next tick
        // searches again and follows what it finds.
        Forget();
        return x11::FindTitledWindow(d, title).window != 0;
    }

    // Sees every event of the connection before the loop does: any event about the followed
    // window (its title or another property changed, destroyed, unmapped, moved) ends the
    // quiet, and the next tick reads its title again. True when the event was about it.
    bool Notice(const XEvent& e) {
        if (!followed_ || e.xany.window != found_.window) return false;
        quiet_ = false;
        return true;
    }

  private:
    // Follows the window just found: events are selected first, then its title is read once
    // more, so that no change after that read goes unseen. Only a window of another program is
    // followed this way: selecting events on one of the loop's own windows would replace the
    // loop's own selection. False when it has already lost the title.
    bool Follow(Display* d, const x11::EventLoop& loop) {
        followed_ = !loop.ownsWindow(found_.window);
        if (followed_) XSelectInput(d, found_.window, StructureNotifyMask | PropertyChangeMask);
        quiet_ = followed_;
        return x11::StillTitled(d, found_, title_);
    }

    void Forget() {
        title_.clear();
        found_ = {};
        followed_ = quiet_ = false;
    }

    std::string title_;
    x11::TitledWindow found_;
    bool followed_ = false;  // events about `found_` are selected and watched
    bool quiet_ = false;     // and none came since its title was last read
};

WindowWatch watch;

int OnXEvent(void* event, void*) {
    // The loop knows nothing of another program's window: an event about it stops here.
    return watch.Notice(*static_cast<const XEvent*>(event)) ? 1 : 0;
}

}  // namespace

bool WindowWithTitleExists(std::string_view title) {
    Display* d = x11::Connection();
    return d && watch.Exists(d, title);
}

bool WindowWithAnyTitleExists(std::initializer_list<std::string_view> titles) {
    Display* d = x11::Connection();
    return d && WindowWatch::AnyExists(d, Titles(titles.begin(), titles.size()));
}

bool WatchedWindowWithTitleExists(std::string_view title) {
    Display* d = x11::Connection();
    const x11::EventLoop* loop = x11::LentEventLoop();
    if (!d || !loop) return WindowWithTitleExists(title);
    static const bool filterAdded = (loop->addFilter(OnXEvent, nullptr), true);
    (void)filterAdded;
    return watch.Watched(d, *loop, title);
}

bool WindowSearchMissesSurfaces() {
    static const bool misses = InCompositorSession();
    return misses;
}

}  // namespace platform
