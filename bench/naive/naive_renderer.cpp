// The yardstick of the start-up benchmark: a renderer of the same design written the plain way.
// It reads the bitmap byte by byte with fgetc, uploads it with gluBuild2DMipmaps, draws the same
// 28 x 22 mesh under the same lens and swirl in immediate mode, one frame per idle call, until
// Escape. Deliberately naive: it is what the real renderer is measured against.
//   naive_renderer BITMAP
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

int width = 0, height = 0;
std::vector<unsigned char> pixels;  // RGB rows, bottom-up
float power = 1.0f, twist = 0.0f, step = 0.1f;
int twisting = 1, frames = 0;
float meshX[28][22], meshY[28][22];

unsigned Read(FILE* f, int bytes) {
    unsigned v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<unsigned>(fgetc(f)) << (8 * i);
    return v;
}

// A 24-bit bottom-up bitmap with the file header, as the host writes it.
bool LoadBitmap(const char* path) {
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    Read(f, 10);
    const unsigned offset = Read(f, 4);
    Read(f, 4);
    width = static_cast<int>(Read(f, 4));
    height = static_cast<int>(Read(f, 4));
    Read(f, 2);
    const unsigned bits = Read(f, 2);
    if (bits != 24 || width <= 0 || height <= 0) return false;
    for (unsigned at = 30; at < offset; ++at) fgetc(f);
    pixels.resize(static_cast<size_t>(width) * height * 3);
    const int padding = (4 - width * 3 % 4) % 4;
    unsigned char* out = pixels.data();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, out += 3) {
            out[2] = static_cast<unsigned char>(fgetc(f));
            out[1] = static_cast<unsigned char>(fgetc(f));
            out[0] = static_cast<unsigned char>(fgetc(f));
        }
        for (int i = 0; i < padding; ++i) fgetc(f);
    }
    fclose(f);
    return true;
}

float Angle(float x, float y) {
    if (std::fabs(x) < 1e-6) return std::fabs(y) < 1e-6 ? 0.0f : (y > 0 ? 1.5707964f : 4.712389f);
    const double a = std::atan(static_cast<double>(y / x));
    return static_cast<float>(x < 0 ? a + 3.1415926535 : a);
}

void Evaluate() {
    float x = -1.0f;
    for (int k = 0; k < 28; ++k, x = static_cast<float>(x + 0.075)) {
        float y = -1.0f;
        for (int m = 0; m < 22; ++m, y = static_cast<float>(y + 0.09)) {
            float rho = static_cast<float>(std::sqrt(static_cast<double>(x * x + y * y)));
            float theta = Angle(x, y);
            if (rho < 1.0) {
                if (power != 1.0) rho = static_cast<float>(std::exp(power * std::log(rho)));
                theta = static_cast<float>(theta + (1.0 - rho) * twist);
            }
            meshX[k][m] = static_cast<float>(rho * std::cos(theta));
            meshY[k][m] = static_cast<float>(rho * std::sin(theta));
        }
    }
}

void Vertex(int k, int m) {
    glTexCoord2f(static_cast<float>(k + 1) / 28.0f, static_cast<float>(m) / 20.0f);
    glVertex3f(meshX[k][m], meshY[k][m], 0.0f);
}

void Draw() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (twisting) {
        twist += step;
        if (twist <= -2.4) step = 0.05f;
        if (twist >= 2.4) step = -0.05f;
    } else {
        power += step;
        if (power <= 0.2) step = 0.05f;
        if (power >= 3.6) step = -0.05f;
    }
    Evaluate();
    glBindTexture(GL_TEXTURE_2D, 0);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 1.0f, 1.0f);
    for (int m = 0; m < 20; ++m) {
        for (int k = 1; k < 28; ++k) {
            Vertex(k - 1, m), Vertex(k, m), Vertex(k, m + 1);
            Vertex(k - 1, m), Vertex(k - 1, m + 1), Vertex(k, m + 1);
        }
    }
    glEnd();
    glutSwapBuffers();
    if (++frames > 200) twisting = !twisting, frames = 0;
}

void Key(unsigned char key, int, int) {
    if (key == 27) std::exit(0);
}

void Idle() {
    glutPostRedisplay();
}

}  // namespace

int main(int argc, char** argv) {
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutInit(&argc, argv);
    if (argc < 2) {
        std::fputs("usage: naive_renderer BITMAP\n", stderr);
        return 2;
    }
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("naive_renderer");
    glutKeyboardFunc(Key);
    glutDisplayFunc(Draw);
    glutIdleFunc(Idle);
    if (!LoadBitmap(argv[1])) {
        std::fprintf(stderr, "naive_renderer: cannot read %s\n", argv[1]);
        return 1;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glEnable(GL_TEXTURE_2D);
    glViewport(0, 0, 1024, 768);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 0.1f, 100.0);
    glutFullScreen();
    glTranslatef(0.0f, 0.1f, -2.4f);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glutSetCursor(GLUT_CURSOR_NONE);
    glutMainLoop();
    return 0;
}
