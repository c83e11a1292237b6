// OpenGL glue of the renderer: texture upload, the fixed projection, drawing the mesh.
#include "renderer/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/base.h"
#include "platform/gl.h"
#include "platform/message_box.h"
#include "platform/monitor_layout.h"
#include "platform/window_system.h"
#include "renderer/base_level.h"
#include "renderer/picture_loader.h"
#include "shared/names.h"

namespace renderer {
namespace {

// Everything the run's drawing keeps, from the start to the process's end.
struct Scene {
    Animation animation;
    Mesh mesh;
    // The monitors the window covers, as the window system told them at the start; on the
    // outputs' own surfaces, their parts of the picture.
    std::vector<platform::MonitorRect> monitors;
    // The outputs' surfaces (their places in the desktop's logical layout, their sizes in
    // pixels) when the renderer draws on them; empty when it draws in one window over the
    // monitors.
    std::vector<platform::OutputSurface> outputs;
    // True when textures keep the picture's own sides (on the outputs' surfaces, whose OpenGL
    // takes any size): every pixel of the desktop reaches the screen unresampled.
    bool exactSides = false;
    // The hand-off bitmap's read, started before the window is made (see startLoadingTexture).
    PictureRead read;
    // The picture once it is read, kept for the whole run.
    std::unique_ptr<RgbImage> picture;
    // What each monitor shows once the picture is uploaded; empty with one monitor, which shows
    // the whole picture over the whole window.
    std::vector<MonitorView> views;
    bool uploaded = false;
};

// The one scene of the process: the runs' callbacks take no argument to reach it by.
Scene scene;

// The sides the mipmap builder settles on: its power-of-two sides, halved together until
// OpenGL takes the texture (asked through the proxy texture at level 1, as the builder asks).
void fittingSides(int& width, int& height) {
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

// Uploads the base level of `image` (bottom-up rows) into texture `name`, made beforehand in
// `prepared` at the sides OpenGL is expected to take, or now when it takes smaller ones only:
// the picture's own sides with `exactSides`, else the mipmap builder's power-of-two sides.
void uploadBaseLevel(const RgbImage& image, LoadedPicture& prepared, bool exactSides,
                     GLuint name = 0) {
    if (image.width <= 0 || image.height <= 0) return;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Minification samples only the base level: the levels below it are never made.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Rows are packed at 3 x width bytes: the default alignment of 4 would skew odd widths.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    int width = exactSides ? image.width : nearestPowerOfTwo(image.width);
    int height = exactSides ? image.height : nearestPowerOfTwo(image.height);
    fittingSides(width, height);
    const std::uint8_t* pixels = image.pixels.data();
    if (width != image.width || height != image.height) {
        if (width != prepared.baseWidth || height != prepared.baseHeight ||
            prepared.baseLevel.empty())
            prepared.baseLevel = makeBaseLevel({pixels, image.width, image.height}, width, height);
        pixels = prepared.baseLevel.data();
    }
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}

// The monitors the window is to cover: those given to useMonitors or useOutputSurfaces, else
// the window system's, asked once.
const std::vector<platform::MonitorRect>& coveredMonitors() {
    if (scene.monitors.empty()) scene.monitors = platform::Monitors();
    return scene.monitors;
}

// The outputs' places in the desktop's logical layout, in their order.
std::vector<platform::MonitorRect> placesOf(std::span<const platform::OutputSurface> outputs) {
    std::vector<platform::MonitorRect> places;
    for (const platform::OutputSurface& output : outputs) places.push_back(output.place);
    return places;
}

// The longest side the picture is read at (the upload halves it further where the driver takes
// less).
std::int64_t largestSide() {
    const std::vector<platform::MonitorRect>& monitors = coveredMonitors();
    // One window over several outputs of a Wayland session (XWayland's, in the outputs' logical
    // units) while the capture holds them at their scale.
    const bool logicalWindow =
        scene.outputs.empty() && monitors.size() > 1 && platform::WindowSearchMissesSurfaces();
    return largestPictureSide(monitors, logicalWindow);
}

// True when OpenGL takes the whole picture's base level at its power-of-two sides.
bool takesWhole(int width, int height) {
    const int wholeWidth = nearestPowerOfTwo(width), wholeHeight = nearestPowerOfTwo(height);
    int fittingWidth = wholeWidth, fittingHeight = wholeHeight;
    fittingSides(fittingWidth, fittingHeight);
    return fittingWidth == wholeWidth && fittingHeight == wholeHeight;
}

// The rows of `part` (top-left origin) cut out of the bottom-up `image`.
RgbImage cutOut(const RgbImage& image, const platform::MonitorRect& part) {
    RgbImage cut;
    cut.width = part.width;
    cut.height = part.height;
    cut.pixels.resize(static_cast<std::size_t>(part.width) * part.height * 3);
    const std::size_t rowBytes = static_cast<std::size_t>(part.width) * 3;
    for (int row = 0; row < part.height; ++row) {
        // Bottom-up: the part's bottom row is the image's row (height - y - h).
        const std::size_t from =
            (static_cast<std::size_t>(image.height - part.y - part.height + row) * image.width +
             part.x) *
            3;
        std::memcpy(cut.pixels.data() + rowBytes * row, image.pixels.data() + from, rowBytes);
    }
    return cut;
}

// Sets the texture matrix so that the mesh's coordinates 0 to 1 fall on `r`, then goes back to
// the projection matrix, which the rest of the program works on.
void useTextureRect(const TextureRect& r) {
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(r.s0, r.t0, 0.0f);
    glScalef(r.s1 - r.s0, r.t1 - r.t0, 1.0f);
    glMatrixMode(GL_PROJECTION);
}

void drawMesh(GLuint name) {
    // The texture is bound before glBegin: OpenGL refuses a bind inside a primitive block.
    glBindTexture(GL_TEXTURE_2D, name);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 1.0f, 1.0f);
    forEachMeshVertex(scene.mesh, [](const MeshVertex& v) {
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, 0.0f);
    });
    glEnd();
}

// Draws the scene's mesh once per view, each in its own viewport and scissor box of a window
// `windowHeight` pixels high.
void drawViews(const std::vector<MonitorView>& list, int windowHeight) {
    glEnable(GL_SCISSOR_TEST);
    for (const MonitorView& view : list) {
        const GlRect at = viewportOf(view.part, windowHeight);
        glViewport(at.x, at.y, at.width, at.height);
        glScissor(at.x, at.y, at.width, at.height);
        useTextureRect(view.texture);
        drawMesh(view.name);
    }
    glDisable(GL_SCISSOR_TEST);
    useTextureRect({});
}

// Makes what each monitor shows of the read picture and uploads it (OpenGL context current).
void uploadPicture(LoadedPicture& loaded) {
    scene.picture = std::move(loaded.image);
    const RgbImage& picture = *scene.picture;
    scene.views = scene.outputs.size() > 1 ? makeOutputViews(picture, scene.outputs)
                                           : makeMonitorViews(picture, scene.monitors);
    // With a texture for each monitor the whole picture's is never sampled.
    if (scene.views.empty() || scene.views.front().name == 0)
        uploadBaseLevel(picture, loaded, scene.exactSides);
    scene.uploaded = true;
}

}  // namespace

void uploadTexture(const RgbImage& image) {
    RgbImage copy = image;
    LoadedPicture prepared;
    prepareBaseLevel(copy, prepared);
    uploadBaseLevel(copy, prepared, false);
}

void startLoadingTexture() {
    const std::string path = platform::MapDrivePath(names::kHandOffBitmap);
    // A folder that others can write may hold anyone's picture: read as no picture at all.
    const std::string folder = path.substr(0, path.find_last_of("/\\"));
    if (std::string why; !platform::FolderIsSafe(folder, &why)) {
        platform::WriteToStandardError(
            platform::FillIn(platform::Translate("Velmora: working folder refused: %s\n"), {why}));
        scene.read.refuse(dibErrorMessage(DibError::OpenFailed, path));
        return;
    }
    scene.read.start(path, largestSide(), scene.exactSides);
}

PictureState uploadPictureOnceRead() {
    if (scene.uploaded) return PictureState::Ready;
    const PictureState state = scene.read.poll();
    if (state == PictureState::Ready) uploadPicture(scene.read.result());
    return state;
}

void tellPictureFailure() {
    const std::string& message = scene.read.result().failure;
    if (platform::RunIsUnattended())
        platform::TellOnStandardError(platform::Translate("Error"), message);
    else
        platform::ShowMessageBox(platform::Translate("Error"), message);
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

void warpMesh(float power, float twist) {
    evaluateMesh(power, twist, scene.mesh);
    drawMesh(0);
}

void useMonitors(std::vector<platform::MonitorRect> list) {
    scene.monitors = std::move(list);
}

std::vector<MonitorView> makeMonitorViews(const RgbImage& image,
                                          std::span<const platform::MonitorRect> list,
                                          int maxTextureSide) {
    std::vector<MonitorView> made;
    if (list.size() < 2 || image.width <= 0 || image.height <= 0) return made;
    const bool whole = maxTextureSide > 0 ? nearestPowerOfTwo(image.width) <= maxTextureSide &&
                                                nearestPowerOfTwo(image.height) <= maxTextureSide
                                          : takesWhole(image.width, image.height);
    for (const platform::MonitorRect& part : monitorsInPicture(list, image.width, image.height)) {
        MonitorView view;
        view.part = part;
        if (whole) {
            view.texture = textureRectOf(part, image.width, image.height);
        } else {
            // Too large for one texture: this monitor's part gets its own, at full resolution.
            GLuint name = 0;
            glGenTextures(1, &name);
            view.name = name;
            RgbImage cut = cutOut(image, part);
            LoadedPicture prepared;
            prepareBaseLevel(cut, prepared);
            uploadBaseLevel(cut, prepared, false, name);
        }
        made.push_back(view);
    }
    return made;
}

std::vector<MonitorView> makeOutputViews(const RgbImage& image,
                                         std::span<const platform::OutputSurface> outputs) {
    std::vector<MonitorView> made;
    // The outputs' parts as the capture laid them out, at its scale.
    const std::vector<platform::MonitorRect> parts =
        scaledToPicture(placesOf(outputs), image.width, image.height);
    const platform::MonitorRect whole{0, 0, image.width, image.height};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        MonitorView view;
        view.part = platform::Intersection(parts[i], whole);
        if (view.part.width > 0 && view.part.height > 0) {
            RgbImage cut = cutOut(image, view.part);
            // A part with more pixels than its output shows (an output at a smaller scale,
            // enlarged into the picture) comes back to the output's own pixels.
            const int width = outputs[i].pixelWidth, height = outputs[i].pixelHeight;
            if (width > 0 && height > 0 && width < cut.width && height < cut.height) {
                cut.pixels =
                    makeBaseLevel({cut.pixels.data(), cut.width, cut.height}, width, height);
                cut.width = width;
                cut.height = height;
            }
            GLuint name = 0;
            glGenTextures(1, &name);
            view.name = name;
            LoadedPicture prepared;
            prepareBaseLevel(cut, prepared, true);
            uploadBaseLevel(cut, prepared, true, name);
        }
        made.push_back(view);
    }
    return made;
}

void drawMonitorViews(const std::vector<MonitorView>& list, int windowHeight, float power,
                      float twist) {
    evaluateMesh(power, twist, scene.mesh);
    drawViews(list, windowHeight);
}

void useOutputSurfaces(std::span<const platform::OutputSurface> outputs) {
    scene.outputs.assign(outputs.begin(), outputs.end());
    scene.exactSides = true;
    const std::vector<platform::MonitorRect> places = placesOf(outputs);
    // The picture the outputs need: their logical box at the largest scale among them.
    const platform::MonitorRect box = platform::BoundingBox(places);
    double scale = 1.0;
    for (const platform::OutputSurface& output : outputs) {
        if (output.place.width <= 0) continue;
        scale = std::max(scale, static_cast<double>(output.pixelWidth) / output.place.width);
    }
    scene.monitors = scaledToPicture(places, static_cast<int>(box.width * scale + 0.5),
                                     static_cast<int>(box.height * scale + 0.5));
}

void beginFrame() {
    advanceAnimation(scene.animation);
    evaluateMesh(scene.animation.lensPower, scene.animation.twistAmount, scene.mesh);
}

void drawInWindow(int windowHeight) {
    // The depth test is never on, so the depth buffer is never read and needs no clearing:
    // clearing it cost a full-screen fill a frame (about a tenth of a frame at 1920x1080 with
    // a software rasteriser).
    glClear(GL_COLOR_BUFFER_BIT);
    if (!scene.uploaded) return;
    // With several monitors every one shows the same frame, each about its own centre.
    if (scene.views.empty())
        drawMesh(0);
    else
        drawViews(scene.views, windowHeight);
}

void drawOnOutput(std::size_t index, int width, int height) {
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!scene.uploaded) return;
    if (index < scene.views.size()) {
        useTextureRect(scene.views[index].texture);
        drawMesh(scene.views[index].name);
        useTextureRect({});
    } else {
        drawMesh(0);
    }
}

void endFrame() {
    finishFrame(scene.animation);
}

}  // namespace renderer
