// What the desktop capture's front door (common/capture.cpp, behind PlanCapture and
// CaptureScreen of window_system.h) asks of each backend: the window system's read of its monitors,
// and where a compositor hands out the desktop's picture itself (a Wayland session) that
// compositor's routes. For the backends alone; product code calls PlanCapture and CaptureScreen.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/window_system.h"

namespace platform {

// An RGB bitmap being filled: rows top to bottom, 3 bytes a pixel, `stride` bytes a row.
struct RgbTarget {
    std::uint8_t* rgb = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Reads `parts` (distinct monitors already cut to `area`, in the window system's desktop
// coordinates, in pixels) into `target`, which holds `area` 1:1 (its (0, 0) at the area's
// top-left, its size the area's) and is black already. Pixels of no part may be written black
// again but never with anything else. False, with the reason in `why` when given, when no part
// could be read. (x11/capture.cpp, win32/capture.cpp)
bool ReadMonitors(std::span<const MonitorRect> parts, const MonitorRect& area,
                  const RgbTarget& target, std::string* why = nullptr);

// One of a compositor's ways to the desktop's picture: fills `target`, whose (0, 0) is the
// top-left of the bounding box of `monitors` (in the desktop's logical layout) and which holds
// that box at `scale` pixels per logical unit; parts no output covers are black. False, with the
// reason in `why` when given, when the route is not there or failed.
using CompositorRoute = bool (*)(std::span<const MonitorRect> monitors, RgbTarget& target,
                                 double scale, std::string* why);

// A compositor that draws the desktop and hands out its picture itself.
struct Compositor {
    double scale = 1.0;                   // the picture's pixels per logical unit (at least 1)
    std::vector<CompositorRoute> routes;  // in the order they are tried
};

// The session's compositor where the window system's own read sees no desktop (a Wayland
// session, whose XWayland root window has no contents); nothing where it does (X11, Windows).
// Asks the session each time: PlanCapture asks once and hands the answer on. (wayland/capture.cpp;
// win32/capture.cpp answers nothing)
std::optional<Compositor> SessionCompositor();

}  // namespace platform
