// The run in one window of the toolkit (see window_run.h): the renderer's one file that speaks
// to freeglut. The scene draws into whatever OpenGL context is current.
#include "renderer/window_run.h"

#include <GL/freeglut.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/base.h"
#include "platform/gl.h"
#include "platform/window_system.h"
#include "renderer/pacing.h"
#include "renderer/scene.h"
#include "shared/names.h"

namespace renderer {
namespace {

// The window's size until it covers the monitors, and the fixed view's viewport until then.
constexpr int kStartWidth = 1024;
constexpr int kStartHeight = 768;

// The program's exit status once the run is to end; -1 while it goes on.
int ending = -1;

// Ends the run with `status`, unless it is ending already. Leaving the loop lets freeglut close
// the window and its GL context before the exit.
void endRun(int status) {
    if (ending >= 0) return;
    ending = status;
    glutLeaveMainLoop();
}

void onKeyboard(unsigned char key, int, int) {
    if (key == 27) endRun(0);
}

// Where the picture stands. A picture that can't be read is told once, over the window (which
// shows black until then), and ends the run with status 1 once the box is dismissed.
PictureState pictureState() {
    const PictureState state = uploadPictureOnceRead();
    if (state == PictureState::Failed && ending < 0) {
        tellPictureFailure();
        endRun(1);
    }
    return state;
}

void onIdle() {
    // The picture is uploaded here once it is read, so that its first frame is timed without
    // the upload.
    if (pictureState() == PictureState::Ready) paceFrame();
    glutPostRedisplay();
}

// After the window exists: the fixed view, the window over the monitors, the pointer hidden (the
// picture comes with the first frames once it is read).
void coverMonitors(const std::vector<platform::MonitorRect>& monitors) {
    setFixedView(kStartWidth, kStartHeight);
    // One monitor: the toolkit's own full screen. Several: the window covers all of them.
    if (monitors.size() < 2 || !platform::CoverMonitors(monitors)) glutFullScreen();
    glutSetCursor(GLUT_CURSOR_NONE);
}

}  // namespace

void drawWindowFrame() {
    const PictureState state = pictureState();
    if (state == PictureState::Failed) return;
    if (state == PictureState::Loading) {
        // Black until the picture is there; the animation starts with it. The pause leaves the
        // processor to the reader while keys are still handled at once.
        drawInWindow(glutGet(GLUT_WINDOW_HEIGHT));
        glutSwapBuffers();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return;
    }
    beginFrame();
    drawInWindow(glutGet(GLUT_WINDOW_HEIGHT));
    waitForRefresh();
    glutSwapBuffers();
    endFrame();
}

int runInWindow(int& argc, char** argv) {
    // The monitors as the window system has them now: the window covers them all, and each
    // shows its own part of the picture. The picture is read while the toolkit and OpenGL start.
    const std::vector<platform::MonitorRect> monitors = platform::Monitors();
    useMonitors(monitors);
    startLoadingTexture();
    glutInitWindowSize(kStartWidth, kStartHeight);
    // Without a window manager the full-screen switch keeps the window's position: start at
    // the corner so that it covers the whole screen.
    glutInitWindowPosition(0, 0);
    glutInit(&argc, argv);
    // The loop comes back to the run, which ends the program with its own status (the toolkit
    // would end it with 0 from inside the loop).
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(names::kRendererTitle);
    requestDisplayPacing();
    glutKeyboardFunc(onKeyboard);
    glutDisplayFunc(drawWindowFrame);
    glutIdleFunc(onIdle);
    coverMonitors(monitors);
    glutMainLoop();
    return ending > 0 ? ending : 0;
}

}  // namespace renderer
