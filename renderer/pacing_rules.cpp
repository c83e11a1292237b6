// The pacing verdict and the frame grid (see pacing_rules.h).
#include "renderer/pacing_rules.h"

#include <cmath>

namespace renderer {

std::int64_t refreshPeriod(double hertz) {
    constexpr double kFallback = 60.0;
    const double rate = std::isfinite(hertz) && hertz >= 20.0 && hertz <= 500.0 ? hertz : kFallback;
    return std::llround(1e9 / rate);
}

PacingDecision::PacingDecision(std::int64_t period) : period_(period > 0 ? period : 1) {}

void PacingDecision::addFrame(std::int64_t frameTime) {
    if (selfPaced_) return;
    if (skipped_ < kSkippedFrames) {
        ++skipped_;
        return;
    }
    groupTime_ += frameTime > 0 ? frameTime : 0;
    if (++inGroup_ < kGroupFrames) return;
    // Swaps that wait for the display take a whole period a frame on average (the frames of a
    // group follow each other without gaps, so uneven swaps even out); nine tenths of it leaves
    // room for a rate reported a little off.
    selfPaced_ = groupTime_ * 10 < period_ * 9 * static_cast<std::int64_t>(kGroupFrames);
    ++judged_;
    inGroup_ = 0;
    groupTime_ = 0;
}

std::int64_t FrameSchedule::nextFrame(std::int64_t now) {
    if (!started_ || now - due_ >= period_) {
        started_ = true;
        due_ = now;
    }
    const std::int64_t wait = due_;
    due_ += period_;
    return wait;
}

}  // namespace renderer
