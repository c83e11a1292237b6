// Test support for the renderer's OpenGL tests: one freeglut window of a fixed size on a
// private Xvfb, shared by every case of a test suite, and reading back what was drawn.
#pragma once

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "renderer/picture_layout.h"
#include "renderer/scene.h"

namespace testgl {

constexpr int kWindowWidth = 320, kWindowHeight = 240;

// A fixture whose suite draws into one double-buffered window of kWindowWidth x kWindowHeight
// with the renderer's fixed view set. The window and its Xvfb live from the suite's first case
// to its last; a display that does not start fails the suite.
class GlWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
};

// A bottom-up picture of random bytes, the same for the same seed.
renderer::RgbImage Noise(int width, int height, unsigned seed);

// A texture level read back as packed RGB rows.
struct Level {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
};

// The base level of the texture `name` (0: the default texture), which stays bound.
Level ReadBaseLevel(GLuint name = 0);

// The back buffer's pixels in `rect` (the whole window when left out), once all drawing is done.
std::vector<std::uint8_t> ReadPixels(const renderer::GlRect& rect = {0, 0, kWindowWidth,
                                                                     kWindowHeight});

}  // namespace testgl
