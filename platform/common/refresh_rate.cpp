// Refresh rates from mode timings (see refresh_rate.h).
#include "platform/common/refresh_rate.h"

namespace platform {

double ModeRefreshRate(std::uint64_t dotClock, std::uint32_t hTotal, std::uint32_t vTotal,
                       bool doubleScan, bool interlaced) {
    double lines = static_cast<double>(vTotal);
    if (doubleScan) lines *= 2;
    if (interlaced) lines /= 2;
    const double perFrame = static_cast<double>(hTotal) * lines;
    return dotClock == 0 || perFrame <= 0 ? 0.0 : static_cast<double>(dotClock) / perFrame;
}

}  // namespace platform
