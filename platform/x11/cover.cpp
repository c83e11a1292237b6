// The renderer's window over every monitor: without a window manager by the window's own
// geometry, under an EWMH window manager by _NET_WM_FULLSCREEN_MONITORS with the full-screen
// state.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

#include "platform/base.h"
#include "platform/gl.h"
#include "platform/monitor_layout.h"
#include "x11_display.h"

namespace platform {
namespace {

// The window of a running EWMH window manager (its check window names itself), else None.
Window WindowManagerCheck(Display* d, Window root) {
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    const auto read = [&](Window w) -> Window {
        const std::vector<unsigned long> found = x11::ReadListProperty(d, w, check, XA_WINDOW, 1);
        return found.size() == 1 ? found.front() : None;
    };
    const Window wm = read(root);
    return wm != None && read(wm) == wm ? wm : None;
}

// The monitors' indices as the window manager counts them (the server's monitor order, which
// its Xinerama answers follow) of the monitors at the top, bottom, left and right edges of
// the box.
bool EdgeMonitors(const std::vector<MonitorRect>& order, const MonitorRect& box, long edges[4]) {
    for (int i = 0; i < 4; ++i) edges[i] = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const MonitorRect& m = order[i];
        const long index = static_cast<long>(i);
        if (edges[0] < 0 && m.y == box.y) edges[0] = index;
        if (edges[1] < 0 && m.y + m.height == box.y + box.height) edges[1] = index;
        if (edges[2] < 0 && m.x == box.x) edges[2] = index;
        if (edges[3] < 0 && m.x + m.width == box.x + box.width) edges[3] = index;
    }
    return edges[0] >= 0 && edges[1] >= 0 && edges[2] >= 0 && edges[3] >= 0;
}

void SendToWindowManager(Display* d, Window root, Window w, Atom message, const long data[5]) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = message;
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
    XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// Asks the window manager for the full-screen state over the monitors at the box's edges. The
// properties are set as well: a window manager that has not taken the window on yet reads them
// when it does, and ignores messages about it until then.
void AskWindowManager(Display* d, Window root, Window w, const MonitorRect& box) {
    long edges[4];
    if (EdgeMonitors(x11::MonitorList(d, false), box, edges)) {
        const Atom monitorsAtom = XInternAtom(d, "_NET_WM_FULLSCREEN_MONITORS", False);
        XChangeProperty(d, w, monitorsAtom, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(edges), 4);
        const long data[5] = {edges[0], edges[1], edges[2], edges[3], 1};
        SendToWindowManager(d, root, w, monitorsAtom, data);
    }
    const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    const Atom fullScreen = XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(d, w, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&fullScreen), 1);
    const long add[5] = {1, static_cast<long>(fullScreen), 0, 1, 0};
    SendToWindowManager(d, root, w, state, add);
}

}  // namespace

bool CoverMonitors(std::span<const MonitorRect> monitors) {
    // The toolkit's own connection: its requests that made the window come first.
    Display* d = glXGetCurrentDisplay();
    const Window w = glXGetCurrentDrawable();
    const MonitorRect box = BoundingBox(monitors);
    if (!d || w == None || box.width <= 0 || box.height <= 0) return false;
    const Window root = DefaultRootWindow(d);
    x11::ErrorTrap trap(d);
    XSizeHints hints{};
    hints.flags = USPosition | USSize | PPosition | PSize;
    hints.x = box.x;
    hints.y = box.y;
    hints.width = box.width;
    hints.height = box.height;
    XSetWMNormalHints(d, w, &hints);
    // Without a window manager this is all it takes; with one it is where the window stays
    // should the manager refuse the full-screen state.
    XMoveResizeWindow(d, w, box.x, box.y, static_cast<unsigned>(box.width),
                      static_cast<unsigned>(box.height));
    XRaiseWindow(d, w);
    if (WindowManagerCheck(d, root) != None) AskWindowManager(d, root, w, box);
    return !trap.Failed();
}

}  // namespace platform
