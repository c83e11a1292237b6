// What the bitmap tests share: a small picture with a different red in every pixel, and
// a little-endian field read from the saved bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "forms/forms.h"

namespace bitmap_samples {

// The 32-bit little-endian number at byte `at` of `b` (the caller checks that 4 bytes are there).
inline std::uint32_t U32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

// A 2x3 picture whose red is 10 * row + column, green 100 and blue 200.
inline forms::Picture TwoByThree() {
    forms::Picture p;
    p.Reset(2, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) {
            std::uint8_t* px = p.Row(y) + x * 3;
            px[0] = static_cast<std::uint8_t>(10 * y + x);  // red
            px[1] = 100;
            px[2] = 200;
        }
    return p;
}

}  // namespace bitmap_samples
