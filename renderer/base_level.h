// The texture's base level: the picture resampled to power-of-two sides with the area-weighted
// box filter of the mipmap builder the renderer has always used, byte for byte, so that the
// picture on screen stays exactly what it was. Only the base level is made: the renderer's
// minification filter never samples any other. Pure arithmetic, no OpenGL.
#pragma once

#include <cstdint>
#include <vector>

namespace renderer {

// The power of two the mipmap builder picks for a side of `side` pixels (side >= 1): the power
// below, or the one above when the side's two highest bits are both set (768 -> 1024,
// 1080 -> 1024, 1920 -> 2048).
int nearestPowerOfTwo(int side);

// Packed RGB rows, bottom row first, 3 x width bytes each.
struct RgbRows {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// The base level at `width` x `height` (both >= 1): `picture` resampled, or copied when it
// already has that size. Rows of 3 x width bytes, bottom row first. `threads` (>= 1) share the
// rows; the result does not depend on it.
std::vector<std::uint8_t> makeBaseLevel(const RgbRows& picture, int width, int height,
                                        int threads = 1);

}  // namespace renderer
