// Frames per second of the renderer's own drawing (full screen, the real display callback)
// beside a loop that only clears and swaps, on the same display.
//   renderer_fps_bench warp|clear SECONDS [BITMAP]
#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "renderer/scene.h"

namespace {

using Clock = std::chrono::steady_clock;

bool warp = true;
double seconds = 5;
long frames = 0;
Clock::time_point start;
constexpr long kWarmUp = 30;  // the first frames pay for shader compilation and the switch

void clearOnly() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

void onIdle() {
    if (frames == kWarmUp) start = Clock::now();
    if (frames > kWarmUp) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (elapsed >= seconds) {
            std::printf("%-6s %dx%d: %.1f fps (%ld frames in %.2f s)\n", warp ? "warp" : "clear",
                        glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT),
                        (frames - kWarmUp) / elapsed, frames - kWarmUp, elapsed);
            std::exit(0);
        }
    }
    ++frames;
    glutPostRedisplay();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "warp") != 0 && std::strcmp(argv[1], "clear") != 0) ||
        (std::strcmp(argv[1], "warp") == 0 && argc < 4)) {
        std::fputs("usage: renderer_fps_bench warp|clear SECONDS [BITMAP]\n", stderr);
        return 2;
    }
    warp = std::strcmp(argv[1], "warp") == 0;
    seconds = std::atof(argv[2]);
    int glutArgc = 1;
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutInit(&glutArgc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("renderer_fps_bench");
    renderer::requestSwapControl();
    glutDisplayFunc(warp ? renderer::drawFrame : clearOnly);
    glutIdleFunc(onIdle);
    if (warp) {
        const auto image = renderer::loadDibFile(
            argv[3], [](const std::string& m) { std::fprintf(stderr, "%s\n", m.c_str()); });
        if (!image) return 1;
        renderer::uploadTexture(*image);
    }
    renderer::setFixedView(1024, 768);
    glutFullScreen();
    glutMainLoop();
    return 0;
}
