// The desktop capture's front door (see window_system.h): checks the bitmap it is given, places the
// monitors' bounding box at its top-left, blackens the part it will fill and takes one way to
// the desktop's pixels: the compositor's routes where the session has a compositor that hands
// out the desktop itself (a Wayland session), else the window system's read of the monitors
// (capture_reads.h). Names nothing of any system.
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/base.h"
#include "platform/common/capture_reads.h"
#include "platform/monitor_layout.h"
#include "platform/window_system.h"

namespace platform {
namespace {

bool Fail(std::string* why, const char* words) {
    if (why) *why = words;
    return false;
}

void Blacken(const RgbTarget& target) {
    for (int y = 0; y < target.height; ++y)
        std::memset(target.rgb + static_cast<std::ptrdiff_t>(y) * target.stride, 0,
                    static_cast<std::size_t>(target.width) * 3);
}

// The compositor's routes in order until one fills `target`; false with every route's reason,
// in the order tried. A compositor whose first route fails at what it offers would seldom do
// better through the next, which asks the same compositor; but the next may be another program
// with other rights (the desktop portal), so each route has its turn.
bool ThroughCompositor(const Compositor& compositor, std::span<const MonitorRect> monitors,
                       RgbTarget target, std::string* why) {
    std::string reasons;
    for (const CompositorRoute route : compositor.routes) {
        std::string reason;
        if (route(monitors, target, compositor.scale, &reason)) return true;
        reasons += (reasons.empty() ? "" : "; ") + reason;
    }
    if (why) *why = reasons;
    return false;
}

// The window system's monitors are in pixels: each part of the desktop once, cut to `area`.
bool ThroughWindowSystem(std::span<const MonitorRect> monitors, const MonitorRect& area,
                         const RgbTarget& target, std::string* why) {
    std::vector<MonitorRect> parts;
    for (const MonitorRect& monitor : DistinctMonitors(monitors)) {
        const MonitorRect part = Intersection(monitor, area);
        if (part.width > 0 && part.height > 0) parts.push_back(part);
    }
    return ReadMonitors(parts, area, target, why);
}

}  // namespace

CapturePlan PlanCapture(std::span<const MonitorRect> monitors) {
    CapturePlan plan;
    plan.monitors.assign(monitors.begin(), monitors.end());
    std::optional<Compositor> compositor = SessionCompositor();
    const MonitorRect box = BoundingBox(monitors);
    const MonitorRect picture = ScaledRect(box, box, compositor ? compositor->scale : 1.0);
    plan.picture = {picture.width, picture.height};
    if (compositor) plan.compositor = std::make_shared<const Compositor>(std::move(*compositor));
    return plan;
}

bool CaptureScreen(const CapturePlan& plan, std::uint8_t* rgb, int width, int height, int stride,
                   std::string* why) {
    if (!rgb || width <= 0 || height <= 0 || stride < width * 3)
        return Fail(why, Translate("there is no picture to capture into"));
    // The part of the picture that is asked for, black until the desktop's pixels cover it.
    const RgbTarget target{rgb, std::min(width, plan.picture.width),
                           std::min(height, plan.picture.height), stride};
    if (plan.monitors.empty() || target.width <= 0 || target.height <= 0)
        return Fail(why, Translate("the display names no monitor"));
    Blacken(target);
    if (plan.compositor) return ThroughCompositor(*plan.compositor, plan.monitors, target, why);
    const MonitorRect box = BoundingBox(plan.monitors);
    return ThroughWindowSystem(plan.monitors, {box.x, box.y, target.width, target.height}, target,
                               why);
}

}  // namespace platform
