// Each monitor's view of the picture in one OpenGL context on a private Xvfb: when the whole
// picture is too large for one texture, every monitor gets a texture of its own holding its part
// at the resolution a picture of that size always had, and draws exactly what that part drawn
// alone would; a monitor list that does not match the picture is cut to it.
#include <vector>

#include "gl_window.h"
#include "platform/base.h"
#include "renderer/base_level.h"
#include "renderer/scene.h"

namespace {

using testgl::kWindowHeight;
using testgl::kWindowWidth;
using testgl::Noise;

// The part (top-left origin) of the bottom-up `image`, as a picture of its own.
renderer::RgbImage Part(const renderer::RgbImage& image, const platform::MonitorRect& r) {
    renderer::RgbImage part;
    part.width = r.width;
    part.height = r.height;
    for (int row = 0; row < r.height; ++row) {
        const int from = image.height - r.y - r.height + row;
        const auto begin =
            image.pixels.begin() + (static_cast<std::ptrdiff_t>(from) * image.width + r.x) * 3;
        part.pixels.insert(part.pixels.end(), begin, begin + r.width * 3);
    }
    return part;
}

class MonitorViews : public testgl::GlWindowTest {};

}  // namespace

TEST_F(MonitorViews, TooLargeForOneTextureEachMonitorDrawsItsOwnPartAsIfAlone) {
    // A tall monitor on the left, a smaller one lower down on the right: 320x240 in all.
    const std::vector<platform::MonitorRect> monitors = {{0, 0, 200, 240}, {200, 40, 120, 150}};
    const renderer::RgbImage picture = Noise(kWindowWidth, kWindowHeight, 3);
    // A limit below the whole picture's 256x256 stands in for a box too large for OpenGL.
    const std::vector<renderer::MonitorView> views =
        renderer::makeMonitorViews(picture, monitors, 128);
    ASSERT_EQ(views.size(), 2u);
    const float power = 2.1f, twist = 1.3f;  // both effects well under way
    glClear(GL_COLOR_BUFFER_BIT);
    renderer::drawMonitorViews(views, kWindowHeight, power, twist);
    std::vector<std::vector<std::uint8_t>> drawn;
    for (const auto& view : views)
        drawn.push_back(testgl::ReadPixels(renderer::viewportOf(view.part, kWindowHeight)));

    for (std::size_t i = 0; i < views.size(); ++i) {
        SCOPED_TRACE("monitor " + std::to_string(i));
        ASSERT_NE(views[i].name, 0u);
        EXPECT_EQ(views[i].part.width, monitors[i].width);
        EXPECT_EQ(views[i].part.height, monitors[i].height);
        // The part alone, through the default texture, over its viewport.
        const renderer::RgbImage alone = Part(picture, views[i].part);
        const testgl::Level own = testgl::ReadBaseLevel(views[i].name);
        renderer::uploadTexture(alone);
        const testgl::Level reference = testgl::ReadBaseLevel(0);
        EXPECT_EQ(own.width, renderer::nearestPowerOfTwo(alone.width));
        EXPECT_EQ(own.height, renderer::nearestPowerOfTwo(alone.height));
        EXPECT_TRUE(own.rgb == reference.rgb) << "the monitor's texture differs from its part's";
        const renderer::GlRect at = renderer::viewportOf(views[i].part, kWindowHeight);
        glClear(GL_COLOR_BUFFER_BIT);
        glViewport(at.x, at.y, at.width, at.height);
        renderer::warpMesh(power, twist);
        EXPECT_TRUE(testgl::ReadPixels(at) == drawn[i])
            << "the monitor's frame differs from its part's";
    }
    glViewport(0, 0, kWindowWidth, kWindowHeight);
}

// Monitors that reach beyond the picture (one plugged in after the capture) are cut to it, and
// one wholly outside draws nothing; with room for one texture, every view reads the default.
TEST_F(MonitorViews, MonitorsBeyondThePictureAreCutToIt) {
    const std::vector<platform::MonitorRect> monitors = {
        {0, 0, 300, 240}, {300, 0, 300, 240}, {600, 0, 100, 100}};
    const renderer::RgbImage picture = Noise(320, 200, 5);
    const auto own = renderer::makeMonitorViews(picture, monitors, 128);
    ASSERT_EQ(own.size(), 2u);
    EXPECT_EQ(own[1].part.x, 300);
    EXPECT_EQ(own[1].part.width, 20);
    EXPECT_EQ(own[1].part.height, 200);
    const auto shared = renderer::makeMonitorViews(picture, monitors);
    ASSERT_EQ(shared.size(), 2u);
    EXPECT_EQ(shared[0].name, 0u);
    EXPECT_FLOAT_EQ(shared[1].texture.s0, 300.0f / 320.0f);
    EXPECT_FLOAT_EQ(shared[1].texture.s1, 1.0f);
    renderer::drawMonitorViews(own, kWindowHeight, 1.0f, 0.5f);
    renderer::drawMonitorViews(shared, kWindowHeight, 1.0f, 0.5f);
    // One monitor: no views, the whole picture is drawn the way it always was.
    EXPECT_TRUE(renderer::makeMonitorViews(picture, {monitors.data(), 1}).empty());
}
