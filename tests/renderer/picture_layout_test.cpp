// Where the monitors lie in the renderer's picture: the monitors cut to the picture that was
// captured or placed in it at its scale, each monitor's viewport and texture rectangle, and how
// large the picture is read.
#include "renderer/picture_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/base.h"
#include "renderer/dib_reader.h"

namespace {

using platform::MonitorRect;

// The list as "WxH+X+Y ...", so that a failure shows what came out.
std::string Listed(const std::vector<MonitorRect>& list) {
    std::string text;
    for (const MonitorRect& m : list)
        text += std::to_string(m.width) + "x" + std::to_string(m.height) + "+" +
                std::to_string(m.x) + "+" + std::to_string(m.y) + " ";
    return text;
}

testing::AssertionResult ListIs(const std::vector<MonitorRect>& got,
                                const std::vector<MonitorRect>& want) {
    if (Listed(got) == Listed(want)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got " << Listed(got);
}

}  // namespace

// The list the capture used: every monitor moved to the picture's origin, nothing cut.
TEST(PictureLayout, MatchingListIsOnlyMovedToThePicture) {
    const std::vector<MonitorRect> three = {
        {1280, 100, 1024, 768}, {0, 0, 1280, 1024}, {2304, 300, 800, 600}};
    EXPECT_TRUE(ListIs(renderer::monitorsInPicture(three, 3104, 1024),
                       {{1280, 100, 1024, 768}, {0, 0, 1280, 1024}, {2304, 300, 800, 600}}));
    const std::vector<MonitorRect> negative = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}};
    EXPECT_TRUE(ListIs(renderer::monitorsInPicture(negative, 3200, 1080),
                       {{1280, 0, 1920, 1080}, {0, 0, 1280, 1024}}));
    const std::vector<MonitorRect> one = {{0, 0, 1024, 768}};
    EXPECT_TRUE(ListIs(renderer::monitorsInPicture(one, 1024, 768), {{0, 0, 1024, 768}}));
}

// A monitor plugged in after the capture (the picture is smaller than the monitors' box), or a
// picture that is larger: the parts never reach outside the picture, and a monitor the picture
// does not hold at all is left out.
TEST(PictureLayout, ListThatDoesNotMatchThePictureIsCutToIt) {
    const std::vector<MonitorRect> two = {{0, 0, 1280, 1024}, {1280, 0, 1024, 768}};
    EXPECT_TRUE(ListIs(renderer::monitorsInPicture(two, 1280, 1024), {{0, 0, 1280, 1024}}));
    EXPECT_TRUE(ListIs(renderer::monitorsInPicture(two, 1500, 700),
                       {{0, 0, 1280, 700}, {1280, 0, 220, 700}}));
    EXPECT_TRUE(ListIs(renderer::monitorsInPicture(two, 4000, 2000),
                       {{0, 0, 1280, 1024}, {1280, 0, 1024, 768}}));
    // An unplugged primary: the remaining monitor's box starts at its own corner.
    const std::vector<MonitorRect> right = {{1280, 0, 1024, 768}};
    EXPECT_TRUE(ListIs(renderer::monitorsInPicture(right, 2304, 1024), {{0, 0, 1024, 768}}));
}

TEST(PictureLayout, NoUsableMonitorMeansTheWholePictureAndNoPictureMeansNothing) {
    EXPECT_TRUE(ListIs(renderer::monitorsInPicture({}, 640, 480), {{0, 0, 640, 480}}));
    const std::vector<MonitorRect> empty = {{10, 10, 0, 0}};
    EXPECT_TRUE(ListIs(renderer::monitorsInPicture(empty, 640, 480), {{0, 0, 640, 480}}));
    const std::vector<MonitorRect> one = {{0, 0, 1024, 768}};
    EXPECT_TRUE(renderer::monitorsInPicture(one, 0, 768).empty());
    EXPECT_TRUE(renderer::monitorsInPicture(one, 1024, -1).empty());
    const std::vector<MonitorRect> huge = {{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                                           {INT_MAX - 10, INT_MAX - 10, 10, 10}};
    for (const MonitorRect& m : renderer::monitorsInPicture(huge, 100, 100)) {
        EXPECT_GE(m.x, 0);
        EXPECT_GE(m.y, 0);
        EXPECT_LE(m.x + m.width, 100);
        EXPECT_LE(m.y + m.height, 100);
    }
}

// OpenGL counts rows from the bottom of the window; the picture's rows run bottom-up in the
// texture.
TEST(PictureLayout, ViewportAndTextureRectangleOfEachMonitor) {
    // LEFT 1280x1024+0+0 and RIGHT 1024x768+1280+0 in a 2304x1024 window.
    const renderer::GlRect left = renderer::viewportOf({0, 0, 1280, 1024}, 1024);
    EXPECT_EQ(left.x, 0);
    EXPECT_EQ(left.y, 0);
    EXPECT_EQ(left.width, 1280);
    EXPECT_EQ(left.height, 1024);
    const renderer::GlRect right = renderer::viewportOf({1280, 0, 1024, 768}, 1024);
    EXPECT_EQ(right.x, 1280);
    EXPECT_EQ(right.y, 256);
    EXPECT_EQ(right.width, 1024);
    EXPECT_EQ(right.height, 768);

    const renderer::TextureRect r = renderer::textureRectOf({1280, 0, 1024, 768}, 2304, 1024);
    EXPECT_FLOAT_EQ(r.s0, 1280.0f / 2304.0f);
    EXPECT_FLOAT_EQ(r.s1, 1.0f);
    EXPECT_FLOAT_EQ(r.t0, 256.0f / 1024.0f);
    EXPECT_FLOAT_EQ(r.t1, 1.0f);
    // The whole picture is exactly the unit square: one monitor draws the whole texture.
    const renderer::TextureRect whole = renderer::textureRectOf({0, 0, 1366, 768}, 1366, 768);
    EXPECT_EQ(whole.s0, 0.0f);
    EXPECT_EQ(whole.t0, 0.0f);
    EXPECT_EQ(whole.s1, 1.0f);
    EXPECT_EQ(whole.t1, 1.0f);
}

// Outputs of different scales in one picture: the logical layout at the picture's scale, edges
// rounded so that neighbours meet exactly, whatever the scale (a halved capture of old, the
// largest output scale, or a picture that is not an integer multiple); an offset layout moves
// to the picture's origin; outputs without pixels keep their place in the list.
TEST(PictureLayout, ScaledToPictureKeepsTheLayoutAtThePicturesScale) {
    const std::vector<MonitorRect> mixed = {{0, 0, 1280, 720}, {1280, 0, 960, 540}};
    EXPECT_TRUE(ListIs(renderer::scaledToPicture(mixed, 2240, 720), mixed));
    EXPECT_TRUE(ListIs(renderer::scaledToPicture(mixed, 4480, 1440),
                       {{0, 0, 2560, 1440}, {2560, 0, 1920, 1080}}));
    EXPECT_TRUE(ListIs(renderer::scaledToPicture(mixed, 1120, 360),
                       {{0, 0, 640, 360}, {640, 0, 480, 270}}));
    const std::vector<MonitorRect> thirds = {{0, 0, 100, 10}, {100, 0, 100, 10}, {200, 0, 100, 10}};
    const std::vector<MonitorRect> parts = renderer::scaledToPicture(thirds, 451, 15);
    EXPECT_TRUE(ListIs(parts, {{0, 0, 150, 15}, {150, 0, 151, 15}, {301, 0, 150, 15}}));
    const std::vector<MonitorRect> offset = {
        {-1000, 300, 1000, 500}, {0, 0, 0, 0}, {0, 0, 800, 800}};
    EXPECT_TRUE(ListIs(renderer::scaledToPicture(offset, 3600, 1600),
                       {{0, 600, 2000, 1000}, {0, 0, 0, 0}, {2000, 0, 1600, 1600}}));
    EXPECT_TRUE(ListIs(renderer::scaledToPicture(mixed, 0, 720), {{}, {}}));
    EXPECT_TRUE(ListIs(renderer::scaledToPicture({}, 100, 100), {}));
}

// The picture is read no larger than the monitors need: a small screen still gets 2048, one
// monitor stops at the common texture limit, several at the reader's, and a window in logical
// units over several monitors takes their box as it is.
TEST(PictureLayout, LargestPictureSideFollowsTheMonitors) {
    const std::vector<MonitorRect> small = {{0, 0, 1024, 768}};
    EXPECT_EQ(renderer::largestPictureSide(small, false), 2048);
    EXPECT_EQ(renderer::largestPictureSide(small, true), 2048);
    const std::vector<MonitorRect> wide = {{0, 0, 20000, 2000}};
    EXPECT_EQ(renderer::largestPictureSide(wide, false), 16384);
    const std::vector<MonitorRect> two = {{0, 0, 1280, 720}, {1280, 0, 1280, 720}};
    EXPECT_EQ(renderer::largestPictureSide(two, false), 2560);
    EXPECT_EQ(renderer::largestPictureSide(two, true), 2560);
    const std::vector<MonitorRect> twoSmall = {{0, 0, 800, 600}, {800, 0, 800, 600}};
    EXPECT_EQ(renderer::largestPictureSide(twoSmall, false), 2048);
    EXPECT_EQ(renderer::largestPictureSide(twoSmall, true), 1600);
    const std::vector<MonitorRect> huge = {{0, 0, 30000, 1000}, {30000, 0, 30000, 1000}};
    EXPECT_EQ(renderer::largestPictureSide(huge, false), renderer::kMaxSide);
    EXPECT_EQ(renderer::largestPictureSide({}, false), 2048);
}
