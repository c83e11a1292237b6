// OpenGL glue of the renderer: texture upload, the fixed projection, drawing the mesh.
#include "renderer/scene.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>
#include <utility>

#include "platform/platform.h"
#include "renderer/base_level.h"
#include "renderer/picture_loader.h"
#include "shared/names.h"

namespace renderer {
namespace {

Animation animation;
Mesh mesh;
// The loaded picture, kept for the whole run; the process's end releases it.
std::unique_ptr<RgbImage> picture;

}  // namespace

namespace {

// The sides the mipmap builder settles on: its power-of-two sides, halved together until
// OpenGL takes the texture (asked through the proxy texture at level 1, as the builder asks).
void FittingSides(int& width, int& height) {
    for (;;) {
        const int halfWidth = width > 1 ? width / 2 : 1, halfHeight = height > 1 ? height / 2 : 1;
        GLint accepted = 0;
        glTexImage2D(GL_PROXY_TEXTURE_2D, 1, 3, halfWidth, halfHeight, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     nullptr);
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &accepted);
        if (accepted != 0 || (width == 1 && height == 1)) return;
        width = halfWidth;
        height = halfHeight;
    }
}

// Uploads the base level of `image` (bottom-up rows), made beforehand in `prepared` at the
// sides OpenGL is expected to take, or now when it takes smaller ones only.
void UploadBaseLevel(const RgbImage& image, LoadedPicture& prepared) {
    if (image.width <= 0 || image.height <= 0) return;
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Minification samples only the base level: the levels below it are never made.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Rows are packed at 3 x width bytes: the default alignment of 4 would skew odd widths.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    int width = nearestPowerOfTwo(image.width), height = nearestPowerOfTwo(image.height);
    FittingSides(width, height);
    const std::uint8_t* pixels = image.pixels.data();
    if (width != image.width || height != image.height) {
        if (width != prepared.baseWidth || height != prepared.baseHeight ||
            prepared.baseLevel.empty())
            prepared.baseLevel = makeBaseLevel({pixels, image.width, image.height}, width, height);
        pixels = prepared.baseLevel.data();
    }
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}

// The picture being read while the window is made and the first frames are shown (see
// startLoadingTexture). Never destroyed: the future of std::async waits for its thread when it
// goes, and an Escape during a long read must end the program at once.
std::future<LoadedPicture>* pending = nullptr;
// Why the picture is not even read (a working folder others could write), when it is not.
std::string refused;
bool uploaded = false;

// The longest side a picture keeps: no more than the screen shows (a bigger picture would only
// cost memory and time before the first frame), never less than 2048 so that a small screen
// still gets a sharp picture, and no more than the largest texture common OpenGL drivers take
// (the upload halves it further where the driver takes less).
std::int64_t LargestSide() {
    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    return std::clamp<std::int64_t>(std::max(screen.width, screen.height), 2048, 16384);
}

[[noreturn]] void Fail(const std::string& message) {
    platform::ShowMessageBox("Error", message);
    std::exit(1);
}

}  // namespace

void uploadTexture(const RgbImage& image) {
    RgbImage copy = image;
    LoadedPicture prepared;
    prepareBaseLevel(copy, prepared);
    UploadBaseLevel(copy, prepared);
}

void startLoadingTexture() {
    const std::string path = platform::MapDrivePath(names::kHandOffBitmap);
    // A folder that others can write may hold anyone's picture: read as no picture at all.
    const std::string folder = path.substr(0, path.find_last_of("/\\"));
    if (const std::string why = platform::UnsafeFolderReason(folder); !why.empty()) {
        std::fprintf(stderr, "Velmora: working folder refused: %s\n", why.c_str());
        refused = dibErrorMessage(DibError::OpenFailed, path);
        return;
    }
    pending = new std::future<LoadedPicture>(startLoadingPicture(path, LargestSide()));
}

bool pictureReady() {
    if (uploaded) return true;
    if (!refused.empty()) Fail(refused);
    if (!pending) startLoadingTexture();
    if (!pending || pending->wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return false;
    LoadedPicture loaded = pending->get();
    if (!loaded.image) Fail(loaded.failure);
    picture = std::move(loaded.image);
    UploadBaseLevel(*picture, loaded);
    uploaded = true;
    return true;
}

void setFixedView(int viewportWidth, int viewportHeight) {
    glEnable(GL_TEXTURE_2D);
    glViewport(0, 0, viewportWidth, viewportHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, static_cast<double>(0.1f), 100.0);
    // Still on the projection matrix: the modelview matrix stays the identity.
    glTranslatef(0.0f, 0.1f, -2.4f);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void initScene() {
    setFixedView(1024, 768);
    glutFullScreen();
    glutSetCursor(GLUT_CURSOR_NONE);
}

bool requestSwapControl() {
    return platform::RequestSwapControl();
}

void warpMesh(float power, float twist) {
    evaluateMesh(power, twist, mesh);
    // The texture is bound before glBegin: OpenGL refuses a bind inside a primitive block.
    glBindTexture(GL_TEXTURE_2D, 0);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 1.0f, 1.0f);
    forEachMeshVertex(mesh, [](const MeshVertex& v) {
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, 0.0f);
    });
    glEnd();
}

void drawFrame() {
    // The depth test is never on, so the depth buffer is never read and needs no clearing:
    // clearing it cost a full-screen fill a frame (about a tenth of a frame at 1920x1080 with
    // a software rasteriser).
    glClear(GL_COLOR_BUFFER_BIT);
    if (!pictureReady()) {
        // Black until the picture is there; the animation starts with it. The pause leaves the
        // processor to the reader while keys are still handled at once.
        glutSwapBuffers();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return;
    }
    advanceAnimation(animation);
    warpMesh(animation.lensPower, animation.twistAmount);
    glutSwapBuffers();
    finishFrame(animation);
}

}  // namespace renderer
