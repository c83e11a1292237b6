// What the user sees stays exactly what the renderer has always shown. The renderer builds its
// texture's base level itself and draws the mesh its own way; the references here are the
// renderer's earlier ways, kept in this file: the library's mipmap build of the picture, and
// the mesh drawn vertex by vertex in immediate mode. Both run in one OpenGL context on a
// private Xvfb and must give the same bytes: the texture's base level for pictures of many
// shapes, and whole frames at the animation's turning points.
#include <GL/glu.h>

#include <vector>

#include "gl_window.h"
#include "renderer/scene.h"

namespace {

using testgl::Level;
using testgl::ReadBaseLevel;

// Noise in the lower half (every byte matters to the resampling), smooth ramps in the upper.
renderer::RgbImage MakePicture(int width, int height, unsigned seed) {
    renderer::RgbImage image = testgl::Noise(width, height, seed);
    for (int y = height / 2; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            p[0] = static_cast<std::uint8_t>(x * 255 / std::max(width - 1, 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / std::max(height - 1, 1));
            p[2] = static_cast<std::uint8_t>((x ^ y) & 0xFF);
        }
    }
    return image;
}

// The renderer's earlier upload: the whole mipmap chain built by the library from packed
// bottom-up rows.
void UploadAsBefore(const renderer::RgbImage& image) {
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE,
                      image.pixels.data());
}

// The renderer's earlier drawing: one immediate-mode call per vertex.
void DrawAsBefore(const renderer::Animation& state) {
    renderer::Mesh mesh;
    renderer::evaluateMesh(state.lensPower, state.twistAmount, mesh);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 1.0f, 1.0f);
    renderer::forEachMeshVertex(mesh, [](const renderer::MeshVertex& v) {
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, 0.0f);
    });
    glEnd();
}

// Frames 0 (the picture before the first step) to `last`, those in `wanted` read back, each
// drawn after clearing the buffers in `cleared`.
std::vector<std::vector<std::uint8_t>> Frames(bool asBefore, const std::vector<int>& wanted,
                                              GLbitfield cleared = GL_COLOR_BUFFER_BIT |
                                                                   GL_DEPTH_BUFFER_BIT) {
    renderer::Animation state;
    std::vector<std::vector<std::uint8_t>> frames;
    for (int frame = 0; frame <= wanted.back(); ++frame) {
        if (frame > 0) {
            if (frame > 1) renderer::finishFrame(state);
            renderer::advanceAnimation(state);
        }
        if (std::find(wanted.begin(), wanted.end(), frame) == wanted.end()) continue;
        glClear(cleared);
        if (asBefore)
            DrawAsBefore(state);
        else
            renderer::warpMesh(state.lensPower, state.twistAmount);
        frames.push_back(testgl::ReadPixels());
    }
    return frames;
}

std::size_t DifferingBytes(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i];
    return differing;
}

class PixelIdentity : public testgl::GlWindowTest {};

}  // namespace

// Screen sizes and odd shapes: stretched in one direction and shrunk in the other, widths that
// are not a multiple of four, sides of one pixel, sides that are already powers of two, and a
// picture wider than OpenGL takes (halved to fit, as the library halves it).
TEST_F(PixelIdentity, BaseLevelIsTheLibrarysMipmapBaseByteForByte) {
    const std::pair<int, int> shapes[] = {
        {1024, 768}, {1920, 1080}, {1366, 768}, {1023, 767}, {800, 600},  {333, 257}, {17, 5},
        {3, 1},      {1, 7},       {1, 1},      {512, 256},  {5000, 100}, {32768, 2}};
    unsigned seed = 1;
    for (const auto& [width, height] : shapes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const renderer::RgbImage image = MakePicture(width, height, seed++);
        UploadAsBefore(image);
        const Level before = ReadBaseLevel();
        renderer::uploadTexture(image);
        const Level now = ReadBaseLevel();
        EXPECT_EQ(now.width, before.width);
        EXPECT_EQ(now.height, before.height);
        EXPECT_EQ(DifferingBytes(now.rgb, before.rgb), 0u);
    }
}

TEST_F(PixelIdentity, TopDownPictureGivesTheBaseOfItsBottomUpTwin) {
    renderer::RgbImage bottomUp = MakePicture(333, 257, 7);
    renderer::RgbImage topDown = bottomUp;
    topDown.height = -bottomUp.height;
    const std::size_t row = 333 * 3;
    for (int y = 0; y < 257; ++y)
        std::copy_n(bottomUp.pixels.begin() + y * row, row,
                    topDown.pixels.begin() + (256 - y) * row);
    UploadAsBefore(bottomUp);
    const Level before = ReadBaseLevel();
    renderer::uploadTexture(topDown);
    EXPECT_EQ(DifferingBytes(ReadBaseLevel().rgb, before.rgb), 0u);
}

// The flat picture, the first frame, the swirl past its turning point, the last swirl frame,
// the first lens frame and the last lens frame.
TEST_F(PixelIdentity, FramesAtTheTurningPointsAreTheSameAsBefore) {
    const std::vector<int> wanted = {0, 1, 25, 201, 202, 402};
    const renderer::RgbImage image = MakePicture(1366, 768, 11);
    UploadAsBefore(image);
    const auto before = Frames(true, wanted);
    renderer::uploadTexture(image);
    const auto now = Frames(false, wanted);
    ASSERT_EQ(now.size(), wanted.size());
    for (std::size_t i = 0; i < wanted.size(); ++i)
        EXPECT_EQ(DifferingBytes(now[i], before[i]), 0u) << "frame " << wanted[i];
    EXPECT_NE(DifferingBytes(before[1], before[4]), 0u);  // the frames do differ
}

// The renderer clears only the colour buffer: its frames must not depend on what the depth
// buffer holds, here a depth that would hide everything were the depth test on.
TEST_F(PixelIdentity, FramesDoNotDependOnTheDepthBuffer) {
    const std::vector<int> wanted = {1, 201, 402};
    renderer::uploadTexture(MakePicture(640, 480, 5));
    const auto cleared = Frames(false, wanted);
    glClearDepth(0.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    const auto stale = Frames(false, wanted, GL_COLOR_BUFFER_BIT);
    for (std::size_t i = 0; i < wanted.size(); ++i)
        EXPECT_EQ(DifferingBytes(stale[i], cleared[i]), 0u) << "frame " << wanted[i];
}
