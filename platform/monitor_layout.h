// Where each monitor lies in the picture of the whole desktop and in a window that covers every
// monitor: bounding box, the monitors cut to a picture's size, each monitor's OpenGL viewport and
// texture rectangle. Pure geometry, the same on every system.
#pragma once

#include <span>
#include <vector>

#include "platform/platform.h"

namespace platform {

// The smallest rectangle that holds every monitor with pixels; all zero when none has any.
MonitorRect BoundingBox(std::span<const MonitorRect> monitors);

// The part of `a` inside `b`; width and height 0 when they do not overlap.
MonitorRect Intersection(const MonitorRect& a, const MonitorRect& b);

// The monitors in the list's order without those that lie wholly inside one listed before them
// (a mirrored monitor, or one inside a larger one) and those without pixels: what a capture
// reads, each part of the desktop once.
std::vector<MonitorRect> DistinctMonitors(std::span<const MonitorRect> monitors);

// The monitors as parts of a picture of the desktop that is `width` x `height` pixels and whose
// (0, 0) is the top-left of the monitors' bounding box: each monitor moved by the box's origin
// and cut to the picture, in the list's order; monitors left with no pixels are dropped, so
// nothing outside the picture is ever named. When no monitor overlaps the picture (or the list
// is empty), the whole picture as one monitor; an empty picture gives an empty list.
std::vector<MonitorRect> MonitorsInPicture(std::span<const MonitorRect> monitors, int width,
                                           int height);

// A rectangle in OpenGL's window coordinates: origin at the bottom-left, y upwards.
struct GlRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The viewport of `part` (top-left origin, as MonitorsInPicture gives it) in a window of
// `windowHeight` pixels whose top-left is the picture's (0, 0).
GlRect ViewportOf(const MonitorRect& part, int windowHeight);

// Texture coordinates of a rectangle of a texture: s left to right, t bottom to top.
struct TextureRect {
    float s0 = 0.0f;
    float t0 = 0.0f;
    float s1 = 1.0f;
    float t1 = 1.0f;
};

// Where `part` lies in a texture that holds the whole `width` x `height` picture (its bottom row
// at t = 0). The whole picture gives exactly 0 to 1 on both axes. Width and height >= 1.
TextureRect TextureRectOf(const MonitorRect& part, int width, int height);

// The drawing size in pixels of a surface `logicalWidth` x `logicalHeight` in the desktop's
// logical units at a scale of `scale120` / 120 (the fractional scale as compositors state it:
// 120 is 1, 180 is 1.5, 240 is 2): each side rounded to the nearest pixel, halves away from
// zero. A scale below 1/120 counts as 1 (120); a side that is not positive gives 0.
ScreenSize SurfacePixelSize(int logicalWidth, int logicalHeight, int scale120);

// The monitors `logical` (in the desktop's logical layout) as parts of a picture `width` x
// `height` pixels that covers their bounding box at some scale, its (0, 0) at the box's
// top-left: each monitor's edges scaled by the picture's size over the box's on each axis and
// rounded, so that neighbouring monitors meet without a gap or an overlap, in the list's order.
// Monitors without pixels come out without pixels; an empty box or picture gives all zero.
std::vector<MonitorRect> ScaledToPicture(std::span<const MonitorRect> logical, int width,
                                         int height);

// `rect` (in the desktop's logical layout) in a picture of the logical box `box` drawn at
// `scale` pixels per logical unit, the picture's (0, 0) at the box's top-left: each edge's
// offset from the box's start times the scale, rounded to the nearest pixel, so that
// neighbouring rectangles meet without a gap or an overlap. A scale of 1 only moves `rect`.
// Scales that are not positive or not finite count as 1.
MonitorRect ScaledRect(const MonitorRect& rect, const MonitorRect& box, double scale);

}  // namespace platform
