// Load and upload time of desktop-sized bitmaps: the reader alone, then the mipmapped upload,
// and the mesh evaluation of one frame. Needs an X display for the OpenGL context.
//   renderer_load_bench FOLDER   (writes its bitmaps there)
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "renderer/scene.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Put32(std::ofstream& out, std::uint32_t v) {
    const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.write(bytes, 4);
}

// A 24-bit bottom-up bitmap with file header, as the host writes its desktop copy.
void WriteDesktop(const std::string& path, int width, int height) {
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    out.write("BM", 2);
    Put32(out, 54 + stride * height);
    Put32(out, 0);
    Put32(out, 54);
    for (std::uint32_t v : {40u, std::uint32_t(width), std::uint32_t(height)}) Put32(out, v);
    Put32(out, 1 | 24 << 16);
    for (int i = 0; i < 6; ++i) Put32(out, 0);
    std::vector<char> row(stride);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            row[3 * x] = char(x ^ y);
            row[3 * x + 1] = char(y);
            row[3 * x + 2] = char(x);
        }
        out.write(row.data(), stride);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: renderer_load_bench FOLDER\n", stderr);
        return 2;
    }
    int glutArgc = 1;
    glutInitWindowSize(64, 64);
    glutInit(&glutArgc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("renderer_load_bench");
    auto report = [](const std::string& m) { std::fprintf(stderr, "%s\n", m.c_str()); };

    for (auto [w, h] : {std::pair{1024, 768}, {1920, 1080}, {3840, 2160}}) {
        const std::string path = std::string(argv[1]) + "/desktop-" + std::to_string(w) + ".bmp";
        WriteDesktop(path, w, h);
        std::vector<double> load, upload;
        for (int run = 0; run < 5; ++run) {
            auto t = Clock::now();
            const auto image = renderer::loadDibFile(path.c_str(), report);
            load.push_back(Milliseconds(t));
            if (!image) return 1;
            t = Clock::now();
            renderer::uploadTexture(*image);
            glFinish();
            upload.push_back(Milliseconds(t));
        }
        std::printf(
            "%4dx%-4d  load %7.1f ms  upload (mipmaps) %7.1f ms  total %7.1f ms  (median of 5)\n",
            w, h, Median(load), Median(upload), Median(load) + Median(upload));
    }

    renderer::Mesh mesh;
    const int runs = 20000;
    const auto t = Clock::now();
    for (int i = 0; i < runs; ++i) renderer::evaluateMesh(2.5f + i * 1e-6f, 1.4f, mesh);
    std::printf("mesh evaluation: %.1f us per frame (616 points)\n", Milliseconds(t) * 1000 / runs);
    return 0;
}
