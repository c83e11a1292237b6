// The primary monitor's size (XRandR, else the root window) and the twips-per-pixel ratio.
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>

#include "platform/platform.h"
#include "x11_display.h"

namespace platform {

namespace x11 {

MonitorArea PrimaryMonitor(Display* d) {
    MonitorArea area{0, 0, DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d))};
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(d, &eventBase, &errorBase)) return area;
    ErrorTrap trap(d);
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(d, DefaultRootWindow(d), True, &count);
    if (!monitors) return area;
    for (int i = 0; i < count; ++i) {
        if (monitors[i].primary || i == 0)
            area = {monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height};
        if (monitors[i].primary) break;
    }
    XRRFreeMonitors(monitors);
    return area;
}

}  // namespace x11

ScreenSize PrimaryScreenSize() {
    Display* d = x11::Connection();
    if (!d) return {};
    const x11::MonitorArea area = x11::PrimaryMonitor(d);
    return {area.width, area.height};
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
