// Monitor geometry (see monitor_layout.h).
#include "platform/monitor_layout.h"

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

std::vector<MonitorRect> MonitorsInPicture(std::span<const MonitorRect> monitors, int width,
                                           int height) {
    if (width <= 0 || height <= 0) return {};
    const MonitorRect box = BoundingBox(monitors);
    std::vector<MonitorRect> parts;
    for (const MonitorRect& m : monitors) {
        if (!HasPixels(m)) continue;
        // Moved and cut in 64 bits: a far-off monitor lands far outside and is dropped.
        const std::int64_t x = std::int64_t{m.x} - box.x, y = std::int64_t{m.y} - box.y;
        const std::int64_t left = std::max<std::int64_t>(x, 0), top = std::max<std::int64_t>(y, 0);
        const std::int64_t right = std::min<std::int64_t>(x + m.width, width);
        const std::int64_t bottom = std::min<std::int64_t>(y + m.height, height);
        if (right <= left || bottom <= top) continue;
        parts.push_back({static_cast<int>(left), static_cast<int>(top),
                         static_cast<int>(right - left), static_cast<int>(bottom - top)});
    }
    if (parts.empty()) parts.push_back({0, 0, width, height});
    return parts;
}

GlRect ViewportOf(const MonitorRect& part, int windowHeight) {
    return {part.x, windowHeight - part.y - part.height, part.width, part.height};
}

TextureRect TextureRectOf(const MonitorRect& part, int width, int height) {
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    return {static_cast<float>(part.x) / w, static_cast<float>(height - part.y - part.height) / h,
            static_cast<float>(part.x + part.width) / w, static_cast<float>(height - part.y) / h};
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

std::vector<MonitorRect> ScaledToPicture(std::span<const MonitorRect> logical, int width,
                                         int height) {
    std::vector<MonitorRect> parts(logical.size());
    const MonitorRect box = BoundingBox(logical);
    if (!HasPixels(box) || width <= 0 || height <= 0) return parts;
    // An edge at logical offset `at` from the box's start, on an axis `boxSide` logical units
    // and `pictureSide` pixels long; rounded to the nearest pixel.
    const auto edge = [](std::int64_t at, std::int64_t boxSide, std::int64_t pictureSide) {
        return static_cast<int>((at * pictureSide * 2 + boxSide) / (boxSide * 2));
    };
    for (std::size_t i = 0; i < logical.size(); ++i) {
        const MonitorRect& m = logical[i];
        if (!HasPixels(m)) continue;
        const int left = edge(m.x - std::int64_t{box.x}, box.width, width);
        const int top = edge(m.y - std::int64_t{box.y}, box.height, height);
        const int right = edge(Right(m) - box.x, box.width, width);
        const int bottom = edge(Bottom(m) - box.y, box.height, height);
        parts[i] = {left, top, right - left, bottom - top};
    }
    return parts;
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
