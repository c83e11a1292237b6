// The monitors' places in the picture (see picture_layout.h).
#include "renderer/picture_layout.h"

#include <algorithm>
#include <cstdint>

#include "platform/base.h"
#include "platform/monitor_layout.h"
#include "renderer/dib_reader.h"

namespace renderer {
namespace {

using platform::MonitorRect;

bool hasPixels(const MonitorRect& m) {
    return m.width > 0 && m.height > 0;
}

}  // namespace

std::vector<MonitorRect> monitorsInPicture(std::span<const MonitorRect> monitors, int width,
                                           int height) {
    if (width <= 0 || height <= 0) return {};
    const MonitorRect box = platform::BoundingBox(monitors);
    std::vector<MonitorRect> parts;
    for (const MonitorRect& m : monitors) {
        if (!hasPixels(m)) continue;
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

GlRect viewportOf(const MonitorRect& part, int windowHeight) {
    return {part.x, windowHeight - part.y - part.height, part.width, part.height};
}

TextureRect textureRectOf(const MonitorRect& part, int width, int height) {
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    return {static_cast<float>(part.x) / w, static_cast<float>(height - part.y - part.height) / h,
            static_cast<float>(part.x + part.width) / w, static_cast<float>(height - part.y) / h};
}

std::vector<MonitorRect> scaledToPicture(std::span<const MonitorRect> logical, int width,
                                         int height) {
    std::vector<MonitorRect> parts(logical.size());
    const MonitorRect box = platform::BoundingBox(logical);
    if (!hasPixels(box) || width <= 0 || height <= 0) return parts;
    // An edge at logical offset `at` from the box's start, on an axis `boxSide` logical units
    // and `pictureSide` pixels long; rounded to the nearest pixel.
    const auto edge = [](std::int64_t at, std::int64_t boxSide, std::int64_t pictureSide) {
        return static_cast<int>((at * pictureSide * 2 + boxSide) / (boxSide * 2));
    };
    for (std::size_t i = 0; i < logical.size(); ++i) {
        const MonitorRect& m = logical[i];
        if (!hasPixels(m)) continue;
        const int left = edge(m.x - std::int64_t{box.x}, box.width, width);
        const int top = edge(m.y - std::int64_t{box.y}, box.height, height);
        const int right = edge(m.x + std::int64_t{m.width} - box.x, box.width, width);
        const int bottom = edge(m.y + std::int64_t{m.height} - box.y, box.height, height);
        parts[i] = {left, top, right - left, bottom - top};
    }
    return parts;
}

std::int64_t largestPictureSide(std::span<const MonitorRect> monitors, bool windowInLogicalUnits) {
    const MonitorRect desktop = platform::BoundingBox(monitors);
    const std::int64_t side = std::max(desktop.width, desktop.height);
    if (monitors.size() > 1 && windowInLogicalUnits) return side;
    return std::clamp<std::int64_t>(side, 2048, monitors.size() > 1 ? kMaxSide : 16384);
}

}  // namespace renderer
