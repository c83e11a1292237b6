// The idle companion's X source: the server's input-free time (MIT-SCREEN-SAVER) on the backend's
// own connection, and whether the window in front is another program's full-screen one.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/base.h"
#include "platform/common/idle_backends.h"
#include "platform/idle.h"
#include "x11_display.h"

namespace platform::idle {
namespace {

bool lost = false;
void (*lostHook)() = nullptr;

int NoteLostConnection(Display*) {
    lost = true;
    return 0;
}

void EndOnLostConnection(Display*, void*) {
    if (lostHook) lostHook();
    _exit(0);
}

// The window the window manager calls active, else the one holding the keyboard focus.
Window FocusedWindow(Display* d) {
    const Window root = DefaultRootWindow(d);
    const std::vector<unsigned long> active =
        x11::ReadListProperty(d, root, XInternAtom(d, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 1);
    if (active.size() == 1 && active.front() != 0) return active.front();
    Window w = 0;
    int revert = 0;
    XGetInputFocus(d, &w, &revert);
    return (w == PointerRoot || w == root) ? 0 : w;
}

bool HasFullScreenState(Display* d, Window w) {
    const Atom full = XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False);
    const std::vector<unsigned long> states =
        x11::ReadListProperty(d, w, XInternAtom(d, "_NET_WM_STATE", False), XA_ATOM, 64);
    return std::find(states.begin(), states.end(), full) != states.end();
}

// A shown window that covers the whole screen.
bool CoversScreen(Display* d, Window w) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return false;
    int x = 0, y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(d, w, a.root, 0, 0, &x, &y, &child)) return false;
    const int sw = WidthOfScreen(a.screen), sh = HeightOfScreen(a.screen);
    return x <= 0 && y <= 0 && x + a.width >= sw && y + a.height >= sh;
}

// The window `w` lies in, up to the top level: 0 above that.
Window Parent(Display* d, Window w) {
    const Window parent = x11::ParentOf(d, w);
    return parent == DefaultRootWindow(d) ? 0 : parent;
}

class XScreenSaverMonitor final : public Monitor {
  public:
    explicit XScreenSaverMonitor(Display* d) : display_(d) {}

    int Descriptor() const override { return ConnectionNumber(display_); }

    bool AfterWait(bool readable) override {
        if (!readable) return !lost;
        // Look before Xlib reads: an ended connection reads as zero bytes.
        char byte = 0;
        const ssize_t n = recv(Descriptor(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            lost = true;
        while (!lost && XPending(display_) > 0) {
            XEvent e;
            XNextEvent(display_, &e);
        }
        return !lost;
    }

    std::int64_t IdleMs() override {
        XScreenSaverInfo info{};
        if (!XScreenSaverQueryInfo(display_, DefaultRootWindow(display_), &info)) return 0;
        return static_cast<std::int64_t>(info.idle);
    }

    bool FullScreenInFront(std::span<const std::string_view> ownTitles) override {
        x11::ErrorTrap trap(display_);  // the windows asked about may vanish meanwhile
        // The focus may sit on a child of the full-screen window: walk up to the top level.
        for (Window w = FocusedWindow(display_); w != 0; w = Parent(display_, w)) {
            if (x11::TitledOneOf(display_, w, ownTitles)) return false;
            if (HasFullScreenState(display_, w) || CoversScreen(display_, w)) return true;
        }
        return false;
    }

  private:
    Display* display_;
};

}  // namespace

Opening OpenXScreenSaver(std::unique_ptr<Monitor>& monitor, std::string* why) {
    Display* d = x11::Connection();
    if (!d)
        return NotOpened(Opening::Unanswered,
                         platform::Translate("cannot open the X display (is DISPLAY right?)"), why);
    int event = 0, errorBase = 0;
    if (!XScreenSaverQueryExtension(d, &event, &errorBase))
        return NotOpened(Opening::Absent,
                         platform::Translate("the X display has no such extension"), why);
    XSetIOErrorHandler(NoteLostConnection);
    XSetIOErrorExitHandler(d, EndOnLostConnection, nullptr);
    monitor = std::make_unique<XScreenSaverMonitor>(d);
    return Opening::Opened;
}

void OnConnectionLostInCall(void (*hook)()) {
    lostHook = hook;
}

}  // namespace platform::idle
