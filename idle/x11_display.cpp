// The idle companion's X11 calls (see x11_display.h). Every call that may meet a vanished window
// runs under an error handler of our own: Xlib's default one would end the program.
#include "x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace idle {
namespace {

// The titles of Velmora's own windows: the host's hidden form and the renderer's window.
constexpr std::string_view kHostTitle = "Zentrova_Main";
constexpr std::string_view kRendererTitle = "Zentrova_VC";
// Window trees deeper than this are not searched (a window manager adds one or two levels).
constexpr int kMaxDepth = 4;

bool lost = false;
void (*lostHook)() = nullptr;

int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

int NoteLostDisplay(Display*) {
    lost = true;
    return 0;
}

void EndOnLostDisplay(Display*, void*) {
    if (lostHook) lostHook();
    _exit(0);
}

Display* AsDisplay(void* d) {
    return static_cast<Display*>(d);
}

std::string Title(Display* d, Window w) {
    char* name = nullptr;
    if (!XFetchName(d, w, &name) || !name) return {};
    std::string title(name);
    XFree(name);
    return title;
}

bool IsVelmora(const std::string& title) {
    return title == kHostTitle || title == kRendererTitle;
}

bool HostWindowBelow(Display* d, Window w, int depth) {
    if (Title(d, w) == kHostTitle) return true;
    if (depth >= kMaxDepth) return false;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i)
        found = HostWindowBelow(d, children[i], depth + 1);
    if (children) XFree(children);
    return found;
}

// The window the window manager calls active, else the one holding the keyboard focus.
Window FocusedWindow(Display* d) {
    const Window root = DefaultRootWindow(d);
    const Atom active = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window w = 0;
    if (XGetWindowProperty(d, root, active, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) == Success &&
        data && count == 1 && format == 32)
        w = *reinterpret_cast<Window*>(data);
    if (data) XFree(data);
    if (w != 0) return w;
    int revert = 0;
    XGetInputFocus(d, &w, &revert);
    return (w == PointerRoot || w == root) ? 0 : w;
}

bool HasFullScreenState(Display* d, Window w) {
    const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    const Atom full = XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(d, w, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 32) {
        const auto* atoms = reinterpret_cast<Atom*>(data);
        for (unsigned long i = 0; i < count && !found; ++i) found = atoms[i] == full;
    }
    if (data) XFree(data);
    return found;
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

}  // namespace

IdleDisplay::IdleDisplay(std::string& error) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        error = "cannot open the X display (is DISPLAY set?)";
        return;
    }
    int event = 0, errorBase = 0;
    if (!XScreenSaverQueryExtension(d, &event, &errorBase)) {
        error = "the X display has no MIT-SCREEN-SAVER extension";
        XCloseDisplay(d);
        return;
    }
    XSetErrorHandler(IgnoreError);
    XSetIOErrorHandler(NoteLostDisplay);
    XSetIOErrorExitHandler(d, EndOnLostDisplay, nullptr);
    display_ = d;
}

IdleDisplay::~IdleDisplay() {
    // A lost connection is not closed: Xlib would only meet the broken socket again.
    if (display_ && !lost) XCloseDisplay(AsDisplay(display_));
}

int IdleDisplay::Descriptor() const {
    return ConnectionNumber(AsDisplay(display_));
}

bool IdleDisplay::Drain() {
    // Look before Xlib reads: an ended connection reads as zero bytes.
    char byte = 0;
    const ssize_t n = recv(Descriptor(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        lost = true;
        return false;
    }
    Display* d = AsDisplay(display_);
    while (!lost && XPending(d) > 0) {
        XEvent e;
        XNextEvent(d, &e);
    }
    return !lost;
}

std::int64_t IdleDisplay::IdleMs() {
    XScreenSaverInfo info{};
    Display* d = AsDisplay(display_);
    if (!XScreenSaverQueryInfo(d, DefaultRootWindow(d), &info)) return 0;
    return static_cast<std::int64_t>(info.idle);
}

Surroundings IdleDisplay::Look() {
    Display* d = AsDisplay(display_);
    Surroundings around;
    around.velmoraRunning = HostWindowBelow(d, DefaultRootWindow(d), 0);
    const Window focus = FocusedWindow(d);
    if (focus == 0) return around;
    // The focus may sit on a child of the full-screen window: walk up to the top level.
    for (Window w = focus; w != 0;) {
        if (IsVelmora(Title(d, w))) break;
        if (HasFullScreenState(d, w) || CoversScreen(d, w)) {
            around.fullScreenInFront = true;
            break;
        }
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d, w, &root, &parent, &children, &count)) break;
        if (children) XFree(children);
        w = parent == root ? 0 : parent;
    }
    return around;
}

bool DisplayLost() {
    return lost;
}

void OnDisplayLostInCall(void (*hook)()) {
    lostHook = hook;
}

}  // namespace idle
