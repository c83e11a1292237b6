// Frames per second of the renderer's own drawing (full screen, the real display callback)
// beside one textured quad over the whole window and a loop that only clears and swaps, on the
// same display.   renderer_fps_bench warp|quad|clear SECONDS [BITMAP]
// warp reads the hand-off bitmap under $VELMORA_ROOT, as the renderer does; quad reads BITMAP.
#include <GL/freeglut.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/base.h"
#include "platform/gl.h"
#include "renderer/picture_loader.h"
#include "renderer/scene.h"
#include "renderer/window_run.h"
#include "shared/names.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds = 5;
long frames = 0;
Clock::time_point start;
double startCpu = 0;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
constexpr long kWarmUp = 30;  // the first frames pay for shader compilation and the switch

void clearOnly() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

// One textured quad over the whole window, as bench/naive/textured_quad draws it.
void quad() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBegin(GL_QUADS);
    glColor3f(1.0f, 1.0f, 1.0f);
    glTexCoord2f(0.0f, 0.0f), glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f), glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f), glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f), glVertex2f(-1.0f, 1.0f);
    glEnd();
    glutSwapBuffers();
}

enum class Mode { Warp, Clear, Quad };
Mode mode = Mode::Warp;
const char* const kModeNames[] = {"warp", "clear", "quad"};

void onIdle() {
    if (frames == kWarmUp) {
        start = Clock::now();
        startCpu = CpuSeconds();
    }
    if (frames > kWarmUp) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (elapsed >= seconds) {
            const long counted = frames - kWarmUp;
            // The processor time per frame (all threads, the rasteriser's among them) says
            // what a frame costs even when other programs share the machine.
            std::printf("%-6s %dx%d: %.1f fps (%ld frames in %.2f s), %.2f ms of CPU a frame\n",
                        kModeNames[static_cast<int>(mode)], glutGet(GLUT_WINDOW_WIDTH),
                        glutGet(GLUT_WINDOW_HEIGHT), counted / elapsed, counted, elapsed,
                        1000 * (CpuSeconds() - startCpu) / counted);
            std::exit(0);
        }
    }
    ++frames;
    glutPostRedisplay();
}

// Why the warp has no picture to show, or empty when it has one. Asked before the window is
// made: the renderer tells a refused folder or a bad bitmap in a message box, which no one
// dismisses on a bench's display.
std::string WhyNoPicture() {
    const std::string path = platform::MapDrivePath(names::kHandOffBitmap);
    const std::string folder = path.substr(0, path.find_last_of("/\\"));
    if (std::string why; !platform::FolderIsSafe(folder, &why))
        return "working folder refused: " + why;
    const renderer::LoadedPicture picture = renderer::loadPicture(path);
    return picture.image ? std::string() : picture.failure;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string name = argc > 1 ? argv[1] : "";
    mode = name == "clear" ? Mode::Clear : name == "quad" ? Mode::Quad : Mode::Warp;
    if (argc < 3 || (name != "warp" && name != "clear" && name != "quad") ||
        (mode == Mode::Quad && argc < 4)) {
        std::fputs(
            "usage: renderer_fps_bench warp|clear SECONDS, renderer_fps_bench quad SECONDS "
            "BITMAP\n",
            stderr);
        return 2;
    }
    seconds = std::atof(argv[2]);
    if (mode == Mode::Warp) {
        if (const std::string why = WhyNoPicture(); !why.empty()) {
            std::fprintf(stderr, "renderer_fps_bench: %s\n", why.c_str());
            return 1;
        }
    }
    int glutArgc = 1;
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutInit(&glutArgc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("renderer_fps_bench");
    platform::RequestSwapControl();
    glutDisplayFunc(mode == Mode::Warp   ? renderer::drawWindowFrame
                    : mode == Mode::Quad ? quad
                                         : clearOnly);
    glutIdleFunc(onIdle);
    if (mode == Mode::Warp) {
        // The renderer reads the picture where the host leaves it (the run script puts it
        // there), as it does in a run; the frames are counted once it is on screen.
        renderer::startLoadingTexture();
        renderer::PictureState state;
        while ((state = renderer::uploadPictureOnceRead()) == renderer::PictureState::Loading)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (state == renderer::PictureState::Failed) {
            std::fputs("renderer_fps_bench: the picture could not be read\n", stderr);
            return 1;
        }
    } else if (mode == Mode::Quad) {
        const auto image = renderer::loadDibFile(
            argv[3], [](const std::string& m) { std::fprintf(stderr, "%s\n", m.c_str()); });
        if (!image) return 1;
        renderer::uploadTexture(*image);
    }
    if (mode == Mode::Warp) renderer::setFixedView(1024, 768);
    glEnable(GL_TEXTURE_2D);
    glutFullScreen();
    glutMainLoop();
    return 0;
}
