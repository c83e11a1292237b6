// Refresh rates from display mode timings, as the X11 backend reads them from XRandR modes, and
// sleeping until a time on the monotonic clock.
#include <gtest/gtest.h>

#include "platform/base.h"
#include "platform/common/refresh_rate.h"

using platform::ModeRefreshRate;

TEST(ModeRefreshRate, IsThePixelClockOverTheFrameWithItsBlanking) {
    EXPECT_DOUBLE_EQ(ModeRefreshRate(148500000, 2200, 1125, false, false), 60.0);  // 1080p60
    EXPECT_NEAR(ModeRefreshRate(148351648, 2200, 1125, false, false), 59.94, 0.001);
    EXPECT_NEAR(ModeRefreshRate(533250000, 4000, 2222, false, false), 60.0, 0.01);  // 2160p
    // 1080i: a field of half the lines every sixtieth of a second.
    EXPECT_DOUBLE_EQ(ModeRefreshRate(74250000, 2200, 1125, false, true), 60.0);
    // Double scan: every line twice, half the frames.
    EXPECT_DOUBLE_EQ(ModeRefreshRate(25175000, 800, 525, true, false),
                     ModeRefreshRate(25175000, 800, 525, false, false) / 2);
}

TEST(ModeRefreshRate, AModeWithoutTimingsHasNoRate) {
    // A virtual display's mode (Xvfb gives its modes no clock and no totals).
    EXPECT_EQ(ModeRefreshRate(0, 0, 0, false, false), 0.0);
    EXPECT_EQ(ModeRefreshRate(148500000, 0, 1125, false, false), 0.0);
    EXPECT_EQ(ModeRefreshRate(148500000, 2200, 0, false, true), 0.0);
    EXPECT_EQ(ModeRefreshRate(0, 2200, 1125, false, false), 0.0);
}

TEST(SleepUntil, ReturnsNoEarlierThanTheDeadlineAndAtOnceForOneThatHasPassed) {
    const std::int64_t deadline = platform::MonotonicNanoseconds() + 30000000;
    platform::SleepUntil(deadline);
    EXPECT_GE(platform::MonotonicNanoseconds(), deadline);
    // A deadline long gone (an hour ago, or the clock's zero) costs no sleep; if it did, the
    // test would hang for the hour.
    platform::SleepUntil(platform::MonotonicNanoseconds() - 3600000000000LL);
    platform::SleepUntil(0);
}
