// The capture's front door (platform/common/capture.cpp) with stand-ins for what it asks of the
// backends: the bitmaps it refuses, each monitor read once cut to the part asked for with the
// rest black and the bitmap beyond it untouched, and a compositor's routes tried in order at its
// scale with every reason kept.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/common/capture_reads.h"
#include "platform/window_system.h"

namespace {

using platform::MonitorRect;

// What the stand-ins answer and what they were asked.
struct StandIns {
    std::optional<platform::Compositor> compositor;
    std::optional<double> laterScale;  // the compositor's scale from its second answer on
    int asked = 0;                     // how often the session was asked for its compositor
    bool readOk = true;
    std::vector<MonitorRect> parts;
    MonitorRect area;
    std::vector<std::string> routesTaken;
    double scale = 0;
} given;

bool Route(const char* name, bool ok, platform::RgbTarget& target, double scale, std::string* why) {
    given.routesTaken.push_back(name);
    given.scale = scale;
    if (ok) std::memset(target.rgb, 0x22, 3);
    if (!ok && why) *why = std::string(name) + " failed";
    return ok;
}
bool FailingRoute(std::span<const MonitorRect>, platform::RgbTarget& target, double scale,
                  std::string* why) {
    return Route("first", false, target, scale, why);
}
bool WorkingRoute(std::span<const MonitorRect>, platform::RgbTarget& target, double scale,
                  std::string* why) {
    return Route("second", true, target, scale, why);
}

}  // namespace

namespace platform {

// Fills each part with 0x11, so that what no part covers shows.
bool ReadMonitors(std::span<const MonitorRect> parts, const MonitorRect& area,
                  const RgbTarget& target, std::string* why) {
    given.parts.assign(parts.begin(), parts.end());
    given.area = area;
    for (const MonitorRect& p : parts)
        for (int y = p.y; y < p.y + p.height; ++y)
            std::memset(target.rgb + (y - area.y) * target.stride + (p.x - area.x) * 3, 0x11,
                        static_cast<std::size_t>(p.width) * 3);
    if (!given.readOk && why) *why = "unread";
    return given.readOk;
}

std::optional<Compositor> SessionCompositor() {
    if (++given.asked > 1 && given.compositor && given.laterScale)
        given.compositor->scale = *given.laterScale;
    return given.compositor;
}

}  // namespace platform

namespace {

bool Same(const MonitorRect& a, const MonitorRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

class CaptureFront : public ::testing::Test {
  protected:
    void SetUp() override { given = {}; }
    // Monitors of 100x50 and 60x40 side by side (the second 10 lower), and one inside the first.
    const std::vector<MonitorRect> monitors{{0, 0, 100, 50}, {100, 10, 60, 40}, {10, 10, 20, 20}};
    static constexpr int kStride = 170 * 3;
    std::vector<std::uint8_t> rgb = std::vector<std::uint8_t>(kStride * 60, 0xAB);
    std::uint8_t At(int x, int y) const { return rgb[y * kStride + x * 3]; }
};

TEST_F(CaptureFront, RefusesABitmapItCannotFillAndADesktopWithoutMonitors) {
    std::string why;
    const platform::CapturePlan plan = platform::PlanCapture(monitors);
    EXPECT_FALSE(platform::CaptureScreen(plan, nullptr, 10, 10, kStride, &why));
    EXPECT_EQ(why, "there is no picture to capture into");
    EXPECT_FALSE(platform::CaptureScreen(plan, rgb.data(), 0, 10, kStride, &why));
    EXPECT_FALSE(platform::CaptureScreen(plan, rgb.data(), 171, 10, kStride, &why));
    EXPECT_FALSE(
        platform::CaptureScreen(platform::PlanCapture({}), rgb.data(), 10, 10, kStride, &why));
    EXPECT_EQ(why, "the display names no monitor");
    EXPECT_TRUE(given.parts.empty());
    EXPECT_EQ(At(0, 0), 0xAB);
}

TEST_F(CaptureFront, TheWindowSystemReadsEachMonitorOnceCutToThePartAskedForTheRestBlack) {
    const platform::CapturePlan plan = platform::PlanCapture(monitors);
    ASSERT_TRUE(platform::CaptureScreen(plan, rgb.data(), 150, 45, kStride));
    ASSERT_EQ(given.parts.size(), 2u);
    EXPECT_TRUE(Same(given.parts[0], {0, 0, 100, 45}));
    EXPECT_TRUE(Same(given.parts[1], {100, 10, 50, 35}));
    EXPECT_TRUE(Same(given.area, {0, 0, 150, 45}));
    EXPECT_EQ(At(120, 5), 0);      // no monitor shows it
    EXPECT_EQ(At(120, 15), 0x11);  // the second monitor's
    EXPECT_EQ(At(155, 20), 0xAB);  // beyond the width asked for
    EXPECT_EQ(At(50, 46), 0xAB);   // below the height asked for
    EXPECT_EQ(plan.picture.width, 160);

    given.readOk = false;
    std::string why;
    EXPECT_FALSE(platform::CaptureScreen(plan, rgb.data(), 150, 45, kStride, &why));
    EXPECT_EQ(why, "unread");
}

TEST_F(CaptureFront, ACompositorsRoutesAreTakenInOrderAtItsScaleAndEveryReasonKept) {
    given.compositor = platform::Compositor{2.0, {&FailingRoute, &WorkingRoute}};
    const platform::CapturePlan plan = platform::PlanCapture(monitors);
    EXPECT_EQ(plan.picture.width, 320);
    EXPECT_EQ(plan.picture.height, 100);
    ASSERT_TRUE(platform::CaptureScreen(plan, rgb.data(), 170, 60, kStride));
    EXPECT_EQ(given.routesTaken, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(given.scale, 2.0);
    EXPECT_EQ(At(0, 0), 0x22);
    EXPECT_EQ(At(169, 59), 0);         // blackened up to the size asked for, inside the picture
    EXPECT_TRUE(given.parts.empty());  // the window system's read is not asked

    given.compositor = platform::Compositor{1.0, {&FailingRoute, &FailingRoute}};
    std::string why;
    EXPECT_FALSE(platform::CaptureScreen(platform::PlanCapture(monitors), rgb.data(), 170, 60,
                                         kStride, &why));
    EXPECT_EQ(why, "first failed; first failed");
}

// A compositor whose scale changes while the run starts (an output's scale set anew, a late
// answer): the picture is filled at the scale it was sized by, asked once however often the
// plan is taken.
TEST_F(CaptureFront, ThePictureIsFilledAtTheScaleItWasSizedBy) {
    given.compositor = platform::Compositor{2.0, {&WorkingRoute}};
    given.laterScale = 1.0;
    const platform::CapturePlan plan = platform::PlanCapture(monitors);
    EXPECT_EQ(plan.picture.width, 320);
    for (int i = 0; i < 2; ++i) {
        rgb.assign(rgb.size(), 0xAB);
        ASSERT_TRUE(platform::CaptureScreen(plan, rgb.data(), 170, 60, kStride));
        EXPECT_EQ(given.scale, 2.0);
        EXPECT_EQ(At(169, 59), 0);  // inside the picture at scale 2: blackened, not left as it was
    }
    EXPECT_EQ(given.asked, 1);
}

}  // namespace
