// The desktop capture in a Wayland session: the compositor's routes in order (see
// wayland_capture.h).
#include <wayland-client.h>

#include <algorithm>
#include <cstdlib>

#include "platform/monitor_layout.h"
#include "platform/platform.h"
#include "platform/wayland/wayland_capture.h"

namespace platform::wayland {

bool InSession() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name) return false;
    // A name left over from another session (an X session started from a Wayland one, a stale
    // environment) leads nowhere: the X server's own picture is the desktop then.
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return false;
    wl_display_disconnect(display);
    return true;
}

bool CaptureDesktop(std::span<const MonitorRect> monitors, RgbTarget& target, std::string& why) {
    std::string screenCopyWhy;
    switch (CaptureWithScreenCopy(monitors, target, screenCopyWhy)) {
        case RouteResult::Captured:
            return true;
        case RouteResult::Failed:
            // A compositor that offers screen copy and fails at it would not do better for the
            // portal, which asks the same compositor; but the portal may be another program
            // with other rights, so it still gets its turn.
        case RouteResult::NotOffered:
            break;
    }
    std::string portalWhy;
    if (CaptureWithPortal(monitors, target, portalWhy) == RouteResult::Captured) return true;
    why = screenCopyWhy + "; " + portalWhy;
    return false;
}

bool CaptureScreen(std::uint8_t* rgb, int width, int height, int stride, std::string& why) {
    if (!rgb || width <= 0 || height <= 0 || stride < width * 3) {
        why = platform::Translate("there is no picture to capture into");
        return false;
    }
    const std::vector<MonitorRect> monitors = Monitors();
    const MonitorRect box = BoundingBox(monitors);
    RgbTarget target{rgb, std::min(width, box.width), std::min(height, box.height), stride};
    if (target.width <= 0 || target.height <= 0) {
        why = platform::Translate("the display names no monitor");
        return false;
    }
    return CaptureDesktop(monitors, target, why);
}

}  // namespace platform::wayland
