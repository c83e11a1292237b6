// Monitor geometry (see monitor_layout.h).
#include "platform/monitor_layout.h"
#include "platform/base.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace platform {
namespace {

bool HasPixels(const MonitorRect& m) {
    return m.width > 0 && m.height > 0;
}

// Right and bottom edges in 64 bits: a monitor near INT_MAX must not wrap round.
std::int64_t Right(const MonitorRect& m) {
    return std::int64_t{m.x} + m.width;
}
std::int64_t Bottom(const MonitorRect& m) {
    return std::int64_t{m.y} + m.height;
}

}  // namespace

MonitorRect BoundingBox(std::span<const MonitorRect> monitors) {
    bool any = false;
    std::int64_t left = 0, top = 0, right = 0, bottom = 0;
    for (const MonitorRect& m : monitors) {
        if (!HasPixels(m)) continue;
        left = any ? std::min<std::int64_t>(left, m.x) : m.x;
        top = any ? std::min<std::int64_t>(top, m.y) : m.y;
        right = any ? std::max(right, Right(m)) : Right(m);
        bottom = any ? std::max(bottom, Bottom(m)) : Bottom(m);
        any = true;
    }
    if (!any) return {};
    const std::int64_t limit = 0x7FFFFFFF;
    return {static_cast<int>(left), static_cast<int>(top),
            static_cast<int>(std::min(right - left, limit)),
            static_cast<int>(std::min(bottom - top, limit))};
}

MonitorRect Intersection(const MonitorRect& a, const MonitorRect& b) {
    const std::int64_t left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const std::int64_t right = std::min(Right(a), Right(b)),
                       bottom = std::min(Bottom(a), Bottom(b));
    if (!HasPixels(a) || !HasPixels(b) || right <= left || bottom <= top)
        return {static_cast<int>(left), static_cast<int>(top), 0, 0};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

std::vector<MonitorRect> DistinctMonitors(std::span<const MonitorRect> monitors) {
    std::vector<MonitorRect> distinct;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const MonitorRect& m = monitors[i];
        if (!HasPixels(m)) continue;
        const auto inside = [&](const MonitorRect& earlier) {
            const MonitorRect overlap = Intersection(m, earlier);
            return overlap.width == m.width && overlap.height == m.height;
        };
        if (std::none_of(monitors.begin(), monitors.begin() + static_cast<std::ptrdiff_t>(i),
                         inside))
            distinct.push_back(m);
    }
    return distinct;
}

ScreenSize SurfacePixelSize(int logicalWidth, int logicalHeight, int scale120) {
    const std::int64_t scale = scale120 >= 1 ? scale120 : 120;
    // Halves round away from zero: (side * scale + 60) / 120 for positive sides.
    const auto side = [scale](int logicalSide) {
        if (logicalSide <= 0) return 0;
        const std::int64_t pixels = (std::int64_t{logicalSide} * scale + 60) / 120;
        return static_cast<int>(std::min<std::int64_t>(pixels, INT32_MAX));
    };
    return {side(logicalWidth), side(logicalHeight)};
}

MonitorRect ScaledRect(const MonitorRect& rect, const MonitorRect& box, double scale) {
    if (!(scale > 0.0) || !std::isfinite(scale)) scale = 1.0;
    const auto edge = [scale](std::int64_t offset) {
        const double at = std::round(static_cast<double>(offset) * scale);
        return static_cast<int>(std::clamp(at, double{INT32_MIN}, double{INT32_MAX}));
    };
    const int left = edge(std::int64_t{rect.x} - box.x), top = edge(std::int64_t{rect.y} - box.y);
    return {left, top, edge(Right(rect) - box.x) - left, edge(Bottom(rect) - box.y) - top};
}

}  // namespace platform
