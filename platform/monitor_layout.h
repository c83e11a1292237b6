// The monitors' geometry that the platform and the product share: the desktop's bounding box, the
// parts a capture reads, a rectangle at a scale, a surface's pixel size at a scale. Pure
// geometry, the same on every system.
#pragma once

#include <span>
#include <vector>

#include "platform/base.h"

namespace platform {

// The smallest rectangle that holds every monitor with pixels; all zero when none has any.
MonitorRect BoundingBox(std::span<const MonitorRect> monitors);

// The part of `a` inside `b`; width and height 0 when they do not overlap.
MonitorRect Intersection(const MonitorRect& a, const MonitorRect& b);

// The monitors in the list's order without those that lie wholly inside one listed before them
// (a mirrored monitor, or one inside a larger one) and those without pixels: what a capture
// reads, each part of the desktop once.
std::vector<MonitorRect> DistinctMonitors(std::span<const MonitorRect> monitors);

// The drawing size in pixels of a surface `logicalWidth` x `logicalHeight` in the desktop's
// logical units at a scale of `scale120` / 120 (the fractional scale as compositors state it:
// 120 is 1, 180 is 1.5, 240 is 2): each side rounded to the nearest pixel, halves away from
// zero. A scale below 1/120 counts as 1 (120); a side that is not positive gives 0.
ScreenSize SurfacePixelSize(int logicalWidth, int logicalHeight, int scale120);

// `rect` (in the desktop's logical layout) in a picture of the logical box `box` drawn at
// `scale` pixels per logical unit, the picture's (0, 0) at the box's top-left: each edge's
// offset from the box's start times the scale, rounded to the nearest pixel, so that
// neighbouring rectangles meet without a gap or an overlap. A scale of 1 only moves `rect`.
// Scales that are not positive or not finite count as 1.
MonitorRect ScaledRect(const MonitorRect& rect, const MonitorRect& box, double scale);

}  // namespace platform
