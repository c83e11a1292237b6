// The frame-rate yardstick: one textured quad over the whole window, cleared and swapped on every
// idle call, in a freeglut window made like the renderer's (double-buffered, depth, full screen).
// Whatever the renderer draws, it cannot present frames faster than this on the same display.
// With "paced" it waits for each refresh as the renderer does where swaps return at once (the
// renderer's own frame grid, the frame finished before the wait and swapped after it, at 60 Hz):
// the least a paced run of one picture costs.
//   textured_quad BITMAP [paced]   (Escape ends it)
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/base.h"
#include "renderer/pacing_rules.h"

namespace {

std::optional<renderer::FrameSchedule> schedule;

void Draw() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBegin(GL_QUADS);
    glColor3f(1.0f, 1.0f, 1.0f);
    glTexCoord2f(0.0f, 0.0f), glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f), glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f), glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f), glVertex2f(-1.0f, 1.0f);
    glEnd();
    if (schedule) {
        glFinish();
        platform::SleepUntil(schedule->nextFrame(platform::MonotonicNanoseconds()));
    }
    glutSwapBuffers();
}

void Key(unsigned char key, int, int) {
    if (key == 27) std::exit(0);
}

void Idle() {
    glutPostRedisplay();
}

// The picture's pixels matter little for the frame rate; its size does. Only the 24-bit bitmaps
// the host writes are read (rows used as they are, blue and red swapped or not).
bool Upload(const char* path) {
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    unsigned char header[54];
    if (fread(header, 1, sizeof header, f) != sizeof header) return false;
    auto le32 = [&](int at) {
        return header[at] | header[at + 1] << 8 | header[at + 2] << 16 | header[at + 3] << 24;
    };
    const int width = le32(18), height = le32(22), offset = le32(10);
    if (width <= 0 || height <= 0 || header[28] != 24) return false;
    std::vector<unsigned char> rows(static_cast<size_t>((width * 3 + 3) / 4 * 4) * height);
    fseek(f, offset, SEEK_SET);
    if (fread(rows.data(), 1, rows.size(), f) != rows.size()) return false;
    fclose(f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutInit(&argc, argv);
    if (argc < 2 || (argc > 2 && std::strcmp(argv[2], "paced") != 0)) {
        std::fputs("usage: textured_quad BITMAP [paced]\n", stderr);
        return 2;
    }
    if (argc > 2) schedule.emplace(renderer::refreshPeriod(0));
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("textured_quad");
    glutKeyboardFunc(Key);
    glutDisplayFunc(Draw);
    glutIdleFunc(Idle);
    if (!Upload(argv[1])) {
        std::fprintf(stderr, "textured_quad: cannot read %s\n", argv[1]);
        return 1;
    }
    glEnable(GL_TEXTURE_2D);
    glutFullScreen();
    glutSetCursor(GLUT_CURSOR_NONE);
    glutMainLoop();
    return 0;
}
