// OpenGL glue of the renderer: texture upload, the fixed projection, drawing the mesh.
#include "renderer/scene.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glx.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace renderer {
namespace {

Animation animation;
Mesh mesh;
// The loaded picture, kept for the whole run; the process's end releases it.
std::unique_ptr<RgbImage> picture;

bool HasExtension(const char* list, const char* name) {
    if (!list) return false;
    const std::size_t length = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[length] == ' ' || p[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

}  // namespace

void uploadTexture(const RgbImage& image) {
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    const int rows = image.height < 0 ? -image.height : image.height;
    if (image.width <= 0 || rows == 0 || image.pixels.size() < rowBytes * rows) return;
    const std::uint8_t* pixels = image.pixels.data();
    std::vector<std::uint8_t> bottomUp;
    if (image.height < 0) {
        // Texture row 0 is the bottom of the picture; a top-down file stores the top first.
        bottomUp.resize(image.pixels.size());
        for (int y = 0; y < rows; ++y)
            std::memcpy(bottomUp.data() + y * rowBytes,
                        image.pixels.data() + (rows - 1 - y) * rowBytes, rowBytes);
        pixels = bottomUp.data();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Rows are packed at 3 x width bytes: the default alignment of 4 would skew odd widths.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.width, rows, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}

void loadTexture() {
    const std::string path = platform::MapDrivePath(kHandOffBitmap);
    picture = loadDibFile(path.c_str(), [](const std::string& message) {
        platform::ShowMessageBox("Error", message);
    });
    if (!picture) std::exit(1);
    uploadTexture(*picture);
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
    loadTexture();
    setFixedView(1024, 768);
    glutFullScreen();
    glutSetCursor(GLUT_CURSOR_NONE);
}

void requestSwapControl() {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable) return;
    const char* list = glXQueryExtensionsString(display, DefaultScreen(display));
    auto lookup = [](const char* name) {
        return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
    };
    if (HasExtension(list, "GLX_EXT_swap_control")) {
        if (auto f = reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(
                lookup("glXSwapIntervalEXT")))
            f(display, drawable, 1);
    } else if (HasExtension(list, "GLX_MESA_swap_control")) {
        if (auto f = reinterpret_cast<int (*)(unsigned)>(lookup("glXSwapIntervalMESA"))) f(1);
    } else if (HasExtension(list, "GLX_SGI_swap_control")) {
        if (auto f = reinterpret_cast<int (*)(int)>(lookup("glXSwapIntervalSGI"))) f(1);
    }
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
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    advanceAnimation(animation);
    warpMesh(animation.lensPower, animation.twistAmount);
    glutSwapBuffers();
    finishFrame(animation);
}

}  // namespace renderer
