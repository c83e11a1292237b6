// Where each monitor lies in the picture of the whole desktop and in the window or surfaces that
// show it: the monitors cut to the picture's size or placed in it at its scale, each monitor's
// OpenGL viewport and texture rectangle. Pure geometry, the same on every system.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/base.h"

namespace renderer {

// The monitors as parts of a picture of the desktop that is `width` x `height` pixels and whose
// (0, 0) is the top-left of the monitors' bounding box: each monitor moved by the box's origin
// and cut to the picture, in the list's order; monitors left with no pixels are dropped, so
// nothing outside the picture is ever named. When no monitor overlaps the picture (or the list
// is empty), the whole picture as one monitor; an empty picture gives an empty list.
std::vector<platform::MonitorRect> monitorsInPicture(
    std::span<const platform::MonitorRect> monitors, int width, int height);

// A rectangle in OpenGL's window coordinates: origin at the bottom-left, y upwards.
struct GlRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The viewport of `part` (top-left origin, as monitorsInPicture gives it) in a window of
// `windowHeight` pixels whose top-left is the picture's (0, 0).
GlRect viewportOf(const platform::MonitorRect& part, int windowHeight);

// Texture coordinates of a rectangle of a texture: s left to right, t bottom to top.
struct TextureRect {
    float s0 = 0.0f;
    float t0 = 0.0f;
    float s1 = 1.0f;
    float t1 = 1.0f;
};

// Where `part` lies in a texture that holds the whole `width` x `height` picture (its bottom row
// at t = 0). The whole picture gives exactly 0 to 1 on both axes. Width and height >= 1.
TextureRect textureRectOf(const platform::MonitorRect& part, int width, int height);

// The monitors `logical` (in the desktop's logical layout) as parts of a picture `width` x
// `height` pixels that covers their bounding box at some scale, its (0, 0) at the box's
// top-left: each monitor's edges scaled by the picture's size over the box's on each axis and
// rounded, so that neighbouring monitors meet without a gap or an overlap, in the list's order.
// Monitors without pixels come out without pixels; an empty box or picture gives all zero.
std::vector<platform::MonitorRect> scaledToPicture(std::span<const platform::MonitorRect> logical,
                                                   int width, int height);

// The longest side the picture of `monitors` keeps when it is read: no more than the screen shows
// (a bigger picture would only cost memory and time before the first frame), never less than
// 2048 so that a small screen still gets a sharp picture, and no more than the largest texture
// common OpenGL drivers take (16384), or, over several monitors, which may each have a texture of
// their own, than the reader takes at all (kMaxSide). `windowInLogicalUnits`: one window over
// several monitors whose places are in the desktop's logical units while the picture holds them
// at their scale; the picture then comes down to the monitors' box, where each monitor's part
// lies.
std::int64_t largestPictureSide(std::span<const platform::MonitorRect> monitors,
                                bool windowInLogicalUnits);

}  // namespace renderer
