// The monitor geometry the platform and the product share: the desktop's bounding box, the parts
// a capture reads, a surface's pixel size and a rectangle at a scale.
#include "platform/monitor_layout.h"
#include "platform/base.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using platform::MonitorRect;

bool Same(const MonitorRect& a, const MonitorRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

testing::AssertionResult ListIs(const std::vector<MonitorRect>& got,
                                const std::vector<MonitorRect>& want) {
    bool same = got.size() == want.size();
    for (std::size_t i = 0; same && i < got.size(); ++i) same = Same(got[i], want[i]);
    if (same) return testing::AssertionSuccess();
    auto failure = testing::AssertionFailure() << "got";
    for (const MonitorRect& m : got)
        failure << " " << m.width << "x" << m.height << "+" << m.x << "+" << m.y;
    return failure;
}

}  // namespace

// Monitors side by side, stacked, at negative offsets (a monitor left of the primary on
// Windows) and with gaps; monitors without pixels do not count.
TEST(MonitorLayout, BoundingBoxHoldsEveryMonitorWithPixels) {
    const std::vector<MonitorRect> sideBySide = {{0, 0, 1280, 1024}, {1280, 0, 1024, 768}};
    EXPECT_TRUE(Same(platform::BoundingBox(sideBySide), {0, 0, 2304, 1024}));
    const std::vector<MonitorRect> leftOfPrimary = {{0, 0, 1920, 1080}, {-1280, 200, 1280, 1024}};
    EXPECT_TRUE(Same(platform::BoundingBox(leftOfPrimary), {-1280, 0, 3200, 1224}));
    const std::vector<MonitorRect> withEmpty = {{0, 0, 0, 0}, {100, 50, 640, 480}, {-5, -5, 0, 9}};
    EXPECT_TRUE(Same(platform::BoundingBox(withEmpty), {100, 50, 640, 480}));
    EXPECT_TRUE(Same(platform::BoundingBox({}), {}));
    // Edges near the ends of int neither wrap round nor overflow.
    const std::vector<MonitorRect> huge = {{INT_MIN, 0, INT_MAX, 10}, {INT_MAX - 5, 0, 5, 10}};
    const MonitorRect box = platform::BoundingBox(huge);
    EXPECT_EQ(box.x, INT_MIN);
    EXPECT_EQ(box.width, INT_MAX);
}

TEST(MonitorLayout, IntersectionIsEmptyWhenApartOrTouching) {
    EXPECT_TRUE(
        Same(platform::Intersection({0, 0, 100, 100}, {50, 60, 100, 100}), {50, 60, 50, 40}));
    const MonitorRect touching = platform::Intersection({0, 0, 100, 100}, {100, 0, 10, 10});
    EXPECT_EQ(touching.width, 0);
    const MonitorRect apart = platform::Intersection({0, 0, 10, 10}, {-50, -50, 10, 10});
    EXPECT_TRUE(apart.width == 0 || apart.height == 0);
}

// A capture reads each part of the desktop once: a mirror of an earlier monitor, or one inside a
// larger one, is left out, while one that only overlaps (or comes first) is kept.
TEST(MonitorLayout, DistinctMonitorsLeaveOutMirrorsAndMonitorsInsideEarlierOnes) {
    const std::vector<MonitorRect> mirrored = {
        {0, 0, 1920, 1080}, {1920, 0, 1280, 1024}, {0, 0, 1920, 1080}, {100, 100, 800, 600}};
    EXPECT_TRUE(
        ListIs(platform::DistinctMonitors(mirrored), {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}}));
    // The smaller one first: the larger one still holds pixels no earlier monitor has.
    const std::vector<MonitorRect> smallFirst = {{100, 100, 800, 600}, {0, 0, 1920, 1080}};
    EXPECT_TRUE(ListIs(platform::DistinctMonitors(smallFirst), smallFirst));
    const std::vector<MonitorRect> overlapping = {{0, 0, 1000, 1000}, {500, 0, 1000, 1000}};
    EXPECT_TRUE(ListIs(platform::DistinctMonitors(overlapping), overlapping));
    // Monitors without pixels are neither read nor count as holding another.
    const std::vector<MonitorRect> empty = {{0, 0, 0, 0}, {0, 0, 640, 480}, {10, 10, 0, 5}};
    EXPECT_TRUE(ListIs(platform::DistinctMonitors(empty), {{0, 0, 640, 480}}));
    EXPECT_TRUE(platform::DistinctMonitors({}).empty());
}

// Surfaces at integer and fractional scales: a 1280 x 800 output at 2 is drawn on 2560 x 1600
// pixels; at 1.25 a side that falls on half a pixel rounds up (1366 x 1.25 = 1707.5); sides and
// scales that make no sense give no pixels or count as 1 instead of wrapping round.
TEST(MonitorLayout, SurfacePixelSizeFollowsTheScale) {
    const auto size = [](int w, int h, int scale120) {
        const platform::ScreenSize s = platform::SurfacePixelSize(w, h, scale120);
        return std::to_string(s.width) + "x" + std::to_string(s.height);
    };
    EXPECT_EQ(size(1280, 800, 120), "1280x800");
    EXPECT_EQ(size(1280, 800, 240), "2560x1600");
    EXPECT_EQ(size(1280, 800, 360), "3840x2400");
    EXPECT_EQ(size(1366, 768, 150), "1708x960");
    EXPECT_EQ(size(1536, 864, 180), "2304x1296");
    EXPECT_EQ(size(1280, 720, 0), "1280x720");
    EXPECT_EQ(size(1280, 720, -240), "1280x720");
    EXPECT_EQ(size(0, -5, 240), "0x0");
    EXPECT_EQ(size(INT_MAX, 1, 240), std::to_string(INT_MAX) + "x2");
}

// A capture laid out at the largest output scale: at 2 every edge doubles from the box's
// corner; at 1.5 neighbours still meet (the shared edge rounds the same for both); at 1 the
// rectangle only moves; a nonsense scale counts as 1.
TEST(MonitorLayout, ScaledRectPlacesTheLayoutInAPictureAtAScale) {
    const MonitorRect box{-640, 0, 1920, 720};
    EXPECT_TRUE(Same(platform::ScaledRect({0, 0, 1280, 720}, box, 2.0), {1280, 0, 2560, 1440}));
    EXPECT_TRUE(Same(platform::ScaledRect(box, box, 2.0), {0, 0, 3840, 1440}));
    const MonitorRect left = platform::ScaledRect({-640, 0, 641, 480}, box, 1.5);
    const MonitorRect right = platform::ScaledRect({1, 0, 1279, 720}, box, 1.5);
    EXPECT_EQ(left.x + left.width, right.x);
    EXPECT_TRUE(Same(left, {0, 0, 962, 720}));
    EXPECT_TRUE(Same(platform::ScaledRect({0, 0, 1280, 720}, box, 1.0), {640, 0, 1280, 720}));
    EXPECT_TRUE(Same(platform::ScaledRect({0, 0, 1280, 720}, box, 0.0), {640, 0, 1280, 720}));
    EXPECT_TRUE(Same(platform::ScaledRect({0, 0, 1280, 720}, box, -2.0), {640, 0, 1280, 720}));
}
