// The monitors, the primary one's size and the twips-per-pixel ratio from the screen's DPI.
#include <windows.h>

#include "platform/base.h"
#include "platform/message_box.h"
#include "platform/window_system.h"

namespace platform {
namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    auto& monitors = *reinterpret_cast<std::vector<MonitorRect>*>(list);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    const MonitorRect rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
    if (rect.width <= 0 || rect.height <= 0) return TRUE;
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        monitors.insert(monitors.begin(), rect);
    else
        monitors.push_back(rect);
    return TRUE;
}

}  // namespace

std::vector<MonitorRect> Monitors() {
    std::vector<MonitorRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty())
        monitors.push_back(
            {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
             GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)});
    return monitors;
}

ScreenSize PrimaryScreenSize() {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

double TwipsPerPixel() {
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        const int asked = GetDeviceCaps(screen, LOGPIXELSY);
        if (asked >= 24 && asked <= 960) dpi = asked;
        ReleaseDC(nullptr, screen);
    }
    return 1440.0 / dpi;
}

// The system's windows need no connection that could be lost.
void SetLostDisplayStatus(int) {}

}  // namespace platform
