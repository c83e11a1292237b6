// The refresh rate of a display mode from its timings, as window systems describe modes (a pixel
// clock and the total line and frame lengths, blanking included). Pure; backends include it,
// product code does not.
#pragma once

#include <cstdint>

namespace platform {

// Frames per second of a mode with pixel clock `dotClock` (Hz), `hTotal` pixels a line and
// `vTotal` lines a frame. A double-scanned mode draws each line twice (half the rate); an
// interlaced one shows half a frame per field (twice the rate). 0 when a timing is 0 (the
// mode says nothing about its rate).
double ModeRefreshRate(std::uint64_t dotClock, std::uint32_t hTotal, std::uint32_t vTotal,
                       bool doubleScan, bool interlaced);

}  // namespace platform
