// Velmora.dll: the renderer. Shows the hand-off bitmap full screen on a warped, animated mesh
// until Escape is pressed.
#include <GL/freeglut.h>

#include <clocale>

#include "platform/platform.h"
#include "renderer/output_run.h"
#include "renderer/pacing.h"
#include "renderer/scene.h"
#include "shared/names.h"

namespace {

void onKeyboard(unsigned char key, int, int) {
    // Leaving the loop lets freeglut close the window and its GL context before the exit.
    if (key == 27) glutLeaveMainLoop();
}

void onIdle() {
    // The picture is uploaded here once it is read, so that its first frame is timed without
    // the upload.
    if (renderer::uploadPictureOnceRead()) renderer::paceFrame();
    glutPostRedisplay();
}

}  // namespace

int main(int argc, char** argv) {
    // The picture is read while the toolkit and OpenGL start; the window comes first all the
    // same, and a picture that can't be read is reported once it exists.
    platform::PreferLargePages();
    // The charset of its lines on standard error and of the system's words in its box (the other
    // categories keep their C form: the renderer's numbers, for one).
    std::setlocale(LC_CTYPE, "");
    // Where the session puts the toolkit's window at less than the outputs' full resolution,
    // the renderer draws on surfaces of its own over each output.
    if (renderer::runOnOutputSurfaces()) return 0;
    // The monitors as the window system has them now: the window covers them all, and each
    // shows its own part of the picture.
    renderer::useMonitors(platform::Monitors());
    renderer::startLoadingTexture();
    glutInitWindowSize(1024, 768);
    // Without a window manager the full-screen switch keeps the window's position: start at
    // the corner so that it covers the whole screen.
    glutInitWindowPosition(0, 0);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(names::kRendererTitle);
    renderer::requestDisplayPacing();
    glutKeyboardFunc(onKeyboard);
    glutDisplayFunc(renderer::drawFrame);
    glutIdleFunc(onIdle);
    renderer::initScene();
    glutMainLoop();
    return 0;
}
