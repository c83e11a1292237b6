// The renderer tests' shared OpenGL window on a private Xvfb, and reading back what was drawn.
#include "gl_window.h"

#include <cstdlib>
#include <memory>
#include <random>

#include "desktop.h"

namespace testgl {

namespace {
std::unique_ptr<testsupport::VirtualDisplay> display;
}

void GlWindowTest::SetUpTestSuite() {
    display = std::make_unique<testsupport::VirtualDisplay>(640, 480);
    ASSERT_TRUE(display->ok());
    setenv("DISPLAY", display->name().c_str(), 1);
    int argc = 1;
    char name[] = "renderer_gl_test";
    char* argv[] = {name, nullptr};
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutInitWindowPosition(0, 0);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(name);
    renderer::setFixedView(kWindowWidth, kWindowHeight);
}

void GlWindowTest::TearDownTestSuite() {
    glutExit();
    display.reset();
}

renderer::RgbImage Noise(int width, int height, unsigned seed) {
    renderer::RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * height * 3);
    std::mt19937 random(seed);
    for (auto& byte : image.pixels) byte = static_cast<std::uint8_t>(random());
    return image;
}

Level ReadBaseLevel(GLuint name) {
    Level level;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &level.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &level.height);
    level.rgb.resize(static_cast<std::size_t>(level.width) * level.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, level.rgb.data());
    return level;
}

std::vector<std::uint8_t> ReadPixels(const renderer::GlRect& rect) {
    glFinish();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(rect.width) * rect.height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(rect.x, rect.y, rect.width, rect.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

}  // namespace testgl
