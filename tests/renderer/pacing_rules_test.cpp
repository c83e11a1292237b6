// The pacing rules on a simulated clock: the refresh period and its fallback, when the verdict
// says that swaps don't wait for the display (and when it must not), and the drift-free grid of
// frame times with its handling of late frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "renderer/pacing_rules.h"

using renderer::FrameSchedule;
using renderer::PacingDecision;
using renderer::refreshPeriod;

namespace {

constexpr std::int64_t kMs = 1000000;
const std::int64_t k60Hz = refreshPeriod(60.0);
constexpr int kFirstVerdict = PacingDecision::kSkippedFrames + PacingDecision::kGroupFrames;

// Feeds `frameTimes` in turn; returns the number of frames after which the verdict was "pace
// ourselves" for the first time, or 0 when it never was.
int SelfPacedAfter(const std::vector<std::int64_t>& frameTimes, std::int64_t period = k60Hz) {
    PacingDecision decision(period);
    for (std::size_t i = 0; i < frameTimes.size(); ++i) {
        decision.addFrame(frameTimes[i]);
        if (decision.selfPaced()) return static_cast<int>(i + 1);
    }
    return 0;
}

std::vector<std::int64_t> Repeated(std::int64_t frameTime, int count) {
    return std::vector<std::int64_t>(count, frameTime);
}

std::vector<std::int64_t> Then(std::vector<std::int64_t> a, const std::vector<std::int64_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(RefreshPeriod, IsTheRatesPeriodAndSixtyHertzWhenTheRateSaysNothingUsable) {
    EXPECT_EQ(refreshPeriod(60.0), 16666667);
    EXPECT_EQ(refreshPeriod(144.0), 6944444);
    EXPECT_EQ(refreshPeriod(59.94), 16683350);
    for (double unusable :
         {0.0, -60.0, 5.0, 19.9, 500.1, 100000.0, std::numeric_limits<double>::quiet_NaN(),
          std::numeric_limits<double>::infinity()})
        EXPECT_EQ(refreshPeriod(unusable), 16666667) << unusable;
}

TEST(PacingDecision, SwapsThatReturnAtOnceArePacedAfterTheFirstJudgedGroup) {
    // 188 frames a second on a 60 Hz display.
    EXPECT_EQ(SelfPacedAfter(Repeated(5 * kMs, 100)), kFirstVerdict);
    // Just fast enough to stand out: 81 frames a second.
    EXPECT_EQ(SelfPacedAfter(Repeated(k60Hz * 74 / 100, 100)), kFirstVerdict);
    // On a 144 Hz display, frames of 5 ms still come too fast.
    EXPECT_EQ(SelfPacedAfter(Repeated(5 * kMs, 100), refreshPeriod(144.0)), kFirstVerdict);
    // The first frames don't count, however slow the switch to full screen makes them.
    EXPECT_EQ(SelfPacedAfter(Then(Repeated(400 * kMs, PacingDecision::kSkippedFrames),
                                  Repeated(2 * kMs, 100))),
              kFirstVerdict);
    PacingDecision undecided(k60Hz);
    for (int i = 0; i < kFirstVerdict - 1; ++i) undecided.addFrame(1 * kMs);
    EXPECT_FALSE(undecided.decided());
    EXPECT_FALSE(undecided.selfPaced());
}

TEST(PacingDecision, SwapsInStepWithTheDisplayAreLeftAlone) {
    // A whole period a frame, even when the swaps alternate between returning at once and
    // waiting nearly two periods (the group's mean is what counts).
    std::vector<std::int64_t> uneven;
    for (int i = 0; i < 300; ++i) uneven.push_back(i % 2 ? 2 * kMs : 2 * k60Hz - 2 * kMs);
    EXPECT_EQ(SelfPacedAfter(uneven), 0);
    EXPECT_EQ(SelfPacedAfter(Repeated(k60Hz, 300)), 0);
    // A display a little faster than reported (59.94 Hz reported, 60.5 Hz shown).
    EXPECT_EQ(SelfPacedAfter(Repeated(refreshPeriod(60.5), 300), refreshPeriod(59.94)), 0);
    // Drawing slower than the display: nothing to wait for.
    EXPECT_EQ(SelfPacedAfter(Repeated(40 * kMs, 300)), 0);
    PacingDecision decision(k60Hz);
    for (int i = 0; i < kFirstVerdict; ++i) decision.addFrame(k60Hz);
    EXPECT_TRUE(decision.decided());
    EXPECT_FALSE(decision.selfPaced());
}

TEST(PacingDecision, ABusyStartIsJudgedAgainButEarlySwapsAreNeverTrustedAgain) {
    // Slow frames for two groups while the machine is busy, then swaps that return at once:
    // paced from the end of the first fast group on.
    const int busy = kFirstVerdict + PacingDecision::kGroupFrames;
    EXPECT_EQ(SelfPacedAfter(Then(Repeated(30 * kMs, busy), Repeated(3 * kMs, 60))),
              busy + PacingDecision::kGroupFrames);
    // Once paced, slow frames (the renderer's own waits, a busy machine) change nothing.
    PacingDecision decision(k60Hz);
    for (std::int64_t t : Then(Repeated(3 * kMs, kFirstVerdict), Repeated(50 * kMs, 300)))
        decision.addFrame(t);
    EXPECT_TRUE(decision.selfPaced());
    // Times that went backwards count as instant frames.
    EXPECT_EQ(SelfPacedAfter(Repeated(-5 * kMs, 40)), kFirstVerdict);
}

TEST(FrameSchedule, KeepsAFixedGridWhateverEachFrameCosts) {
    const std::int64_t start = 1000 * kMs;
    FrameSchedule schedule(k60Hz);
    EXPECT_EQ(schedule.nextFrame(start), start) << "the first frame is not held back";
    // A simulated loop: each frame costs between 1 and 12 ms, then the loop waits for the
    // deadline; every deadline lies on the grid, so 600 frames take exactly 600 periods.
    std::int64_t now = start;
    for (int frame = 1; frame <= 600; ++frame) {
        now += (1 + frame % 12) * kMs;
        const std::int64_t due = schedule.nextFrame(now);
        ASSERT_EQ(due, start + frame * k60Hz) << frame;
        ASSERT_GT(due, now);
        now = due + 137000;  // the system wakes the sleeper a little late
    }
}

TEST(FrameSchedule, ALateFrameIsNotWaitedForAndAFrameLateByAPeriodRestartsTheGrid) {
    const std::int64_t start = 50 * kMs;
    FrameSchedule schedule(k60Hz);
    schedule.nextFrame(start);
    // Late by 10 ms: no wait (the deadline has passed), and the grid holds.
    EXPECT_EQ(schedule.nextFrame(start + k60Hz + 10 * kMs), start + k60Hz);
    EXPECT_EQ(schedule.nextFrame(start + 2 * k60Hz - 1 * kMs), start + 2 * k60Hz);
    // Stopped for half a second: no burst of missed frames, a new grid from now on.
    const std::int64_t resumed = start + 500 * kMs;
    EXPECT_EQ(schedule.nextFrame(resumed), resumed);
    EXPECT_EQ(schedule.nextFrame(resumed + 1 * kMs), resumed + k60Hz);
    // Late by exactly one period counts as stopped.
    EXPECT_EQ(schedule.nextFrame(resumed + 3 * k60Hz), resumed + 3 * k60Hz);
}
