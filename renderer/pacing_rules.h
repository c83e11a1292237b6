// When the renderer waits between frames, and until when: pure arithmetic on the monotonic
// clock (nanoseconds), so that the rules are tested without a display. Where buffer swaps wait
// for the display's refresh, the renderer draws as fast as they let it; where they return at once
// (software OpenGL, vsync off, a virtual display), it waits for the next refresh itself, so
// that the animation keeps its speed and the run costs no more than the display shows.
#pragma once

#include <cstdint>

namespace renderer {

// The refresh period, in nanoseconds, of a display refreshing `hertz` times a second; that of
// 60 Hz when the rate is unknown (0), not a number or implausible (below 20 Hz or above 500 Hz).
std::int64_t refreshPeriod(double hertz);

// Watches how long the first frames take (drawing and swapping, without any wait of the
// renderer's own) and says whether the renderer must pace itself. The first frames are skipped
// (they pay for the switch to full screen and the first shader compilations); then every group
// of frames is judged on its own: frames that take on average less than nine tenths of a refresh
// period mean that the swaps do not wait for the display. The verdict only ever
// goes from "the display paces" to "pace ourselves": once swaps are seen to return early they
// are never trusted again, while a slow group (a busy machine) is judged again by the next one.
class PacingDecision {
  public:
    // `period`: the display's refresh period (see refreshPeriod); positive.
    explicit PacingDecision(std::int64_t period);

    // Counts one drawn frame that took `frameTime` nanoseconds; negative times count as 0.
    void addFrame(std::int64_t frameTime);

    // True once the renderer must wait for each refresh itself.
    bool selfPaced() const { return selfPaced_; }
    // True once at least one group of frames has been judged.
    bool decided() const { return judged_ > 0; }

    static constexpr int kSkippedFrames = 5;
    static constexpr int kGroupFrames = 15;

  private:
    std::int64_t period_;
    int skipped_ = 0;
    int inGroup_ = 0;
    std::int64_t groupTime_ = 0;
    int judged_ = 0;
    bool selfPaced_ = false;
};

// The schedule of a renderer that paces itself: one frame per refresh period on a fixed grid of
// absolute times, so that waits don't add up into drift. A frame that is late by less than a
// period is not waited for and the grid holds; one late by a period or more (the machine was
// busy, the process was stopped) starts the grid anew from that moment instead of drawing the
// missed frames in a burst.
class FrameSchedule {
  public:
    // `period` positive (see refreshPeriod).
    explicit FrameSchedule(std::int64_t period) : period_(period) {}

    // The time until which to wait before the next frame, given the time `now`; the first call
    // returns `now` (no wait). Each call moves the grid on by one period.
    std::int64_t nextFrame(std::int64_t now);

  private:
    std::int64_t period_;
    std::int64_t due_ = 0;
    bool started_ = false;
};

}  // namespace renderer
