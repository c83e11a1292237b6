// The monitors (RandR 1.5 monitors, else the root window) and the twips-per-pixel ratio.
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdlib>

#include "platform/base.h"
#include "platform/window_system.h"
#include "x11_display.h"

namespace platform {

namespace x11 {

std::vector<MonitorRect> MonitorList(Display* d, bool primaryFirst) {
    const MonitorRect root{0, 0, DisplayWidth(d, DefaultScreen(d)),
                           DisplayHeight(d, DefaultScreen(d))};
    std::vector<MonitorRect> list;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    // XRRGetMonitors needs RandR 1.5 of the server; an older one would answer with an error.
    if (XRRQueryExtension(d, &eventBase, &errorBase) && XRRQueryVersion(d, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        ErrorTrap trap(d);
        int count = 0;
        if (XRRMonitorInfo* monitors = XRRGetMonitors(d, DefaultRootWindow(d), True, &count)) {
            for (int i = 0; i < count; ++i) {
                const XRRMonitorInfo& m = monitors[i];
                if (m.width <= 0 || m.height <= 0) continue;
                const MonitorRect rect{m.x, m.y, m.width, m.height};
                if (m.primary && primaryFirst)
                    list.insert(list.begin(), rect);
                else
                    list.push_back(rect);
            }
            XRRFreeMonitors(monitors);
        }
    }
    if (list.empty()) list.push_back(root);
    return list;
}

}  // namespace x11
std::vector<MonitorRect> Monitors() {
    Display* d = x11::Connection();
    if (!d) return {MonitorRect{}};
    return x11::MonitorList(d);
}

ScreenSize PrimaryScreenSize() {
    Display* d = x11::Connection();
    if (!d) return {};
    const MonitorRect primary = x11::MonitorList(d).front();
    return {primary.width, primary.height};
}

double TwipsPerPixel() {
    Display* d = x11::Connection();
    double dpi = 96.0;
    if (d) {
        if (const char* resources = XResourceManagerString(d)) {
            XrmInitialize();
            XrmDatabase db = XrmGetStringDatabase(resources);
            char* type = nullptr;
            XrmValue value{};
            if (db && XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
                const double parsed = std::atof(value.addr);
                if (parsed >= 24.0 && parsed <= 960.0) dpi = parsed;
            }
            if (db) XrmDestroyDatabase(db);
        }
    }
    return 1440.0 / dpi;
}

}  // namespace platform
