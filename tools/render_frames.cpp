// velmora_render_frames: renders chosen frames of the renderer's animation of a bitmap at a
// given size, with the renderer's own drawing code, and saves them as PNG or PPM files.
// Needs an X display (Xvfb will do). Used for the preview picture, the README picture and
// the demo run.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <png.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "renderer/scene.h"

namespace {

constexpr const char* kUsage =
    "usage: velmora_render_frames BITMAP WIDTH HEIGHT OUTPUT FRAME...\n"
    "  Renders the given frames of the animation of BITMAP in a WIDTH x HEIGHT window.\n"
    "  FRAME is a number (1 = the first frame drawn, 0 = the picture before any step) or a\n"
    "  range A-B. OUTPUT is an existing folder (files frame-NNNN.png in it), a name with a\n"
    "  '#' for the frame number, a file name ending in .png or .ppm for a single frame, or\n"
    "  else a prefix (files OUTPUT-NNNN.png). Names ending in .ppm are written as binary PPM.\n";

bool ParseNumber(const std::string& text, long max, long& out) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    out = std::stol(text);
    return out <= max;
}

bool ParseSize(const char* widthText, const char* heightText, int& width, int& height) {
    long w = 0, h = 0;
    if (!ParseNumber(widthText, 16384, w) || !ParseNumber(heightText, 16384, h) || w == 0 || h == 0)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool ParseFrames(char** args, int count, std::set<long>& frames) {
    constexpr long kMaxFrame = 10'000'000;
    for (int i = 0; i < count; ++i) {
        const std::string arg = args[i];
        const auto dash = arg.find('-');
        long first = 0, last = 0;
        if (dash == std::string::npos) {
            if (!ParseNumber(arg, kMaxFrame, first)) return false;
            last = first;
        } else if (!ParseNumber(arg.substr(0, dash), kMaxFrame, first) ||
                   !ParseNumber(arg.substr(dash + 1), kMaxFrame, last) || last < first ||
                   last - first > 100000) {
            return false;
        }
        for (long f = first; f <= last; ++f) frames.insert(f);
    }
    return !frames.empty();
}

bool EndsWith(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    return std::equal(text.end() - n, text.end(), suffix,
                      [](char a, char b) { return (a | 0x20) == b; });
}

std::string Numbered(long frame) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%04ld", frame);
    return digits;
}

// The file that frame `frame` goes to (see the usage text).
std::string OutputName(const std::string& output, long frame, bool single) {
    struct stat info {};
    if (stat(output.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return output + (output.ends_with('/') ? "" : "/") + "frame-" + Numbered(frame) + ".png";
    if (const auto hash = output.find('#'); hash != std::string::npos)
        return output.substr(0, hash) + std::to_string(frame) + output.substr(hash + 1);
    if (single && (EndsWith(output, ".png") || EndsWith(output, ".ppm"))) return output;
    return output + "-" + Numbered(frame) + ".png";
}

// `rows` is bottom-up, as OpenGL reads it.
bool WriteImage(const std::string& path, int width, int height,
                const std::vector<std::uint8_t>& rows) {
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    if (EndsWith(path, ".png")) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = width;
        image.height = height;
        image.format = PNG_FORMAT_RGB;
        // A negative stride tells libpng that the rows are stored bottom-up.
        const int ok = png_image_write_to_file(&image, path.c_str(), 0, rows.data(),
                                               -static_cast<png_int_32>(stride), nullptr);
        png_image_free(&image);
        return ok != 0;
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    bool ok = true;
    for (int y = height - 1; y >= 0 && ok; --y)
        ok = std::fwrite(rows.data() + y * stride, 1, stride, out) == stride;
    return std::fclose(out) == 0 && ok;
}

std::vector<std::uint8_t> DrawAndRead(const renderer::Animation& state, int width, int height) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer::warpMesh(state.lensPower, state.twistAmount);
    glFinish();
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(width) * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    return rows;
}

// Loads the bitmap and writes the chosen frames; the exit code.
int DrawFrames(const std::string& bitmap, int width, int height, const std::string& output,
               const std::set<long>& frames) {
    const auto image = renderer::loadDibFile(bitmap.c_str(), [](const std::string& message) {
        std::fprintf(stderr, "velmora_render_frames: %s%s", message.c_str(),
                     message.empty() || message.back() != '\n' ? "\n" : "");
    });
    if (!image) return 1;
    renderer::uploadTexture(*image);
    renderer::setFixedView(width, height);

    renderer::Animation state;
    long drawn = 0;  // frames the animation has advanced through
    for (long frame : frames) {
        while (drawn < frame) {
            if (drawn > 0) renderer::finishFrame(state);
            renderer::advanceAnimation(state);
            ++drawn;
        }
        const std::string path = OutputName(output, frame, frames.size() == 1);
        if (!WriteImage(path, width, height, DrawAndRead(state, width, height))) {
            std::fprintf(stderr, "velmora_render_frames: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int width = 0, height = 0;
    std::set<long> frames;
    if (argc < 6 || !ParseSize(argv[2], argv[3], width, height) ||
        !ParseFrames(argv + 5, argc - 5, frames)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string bitmap = argv[1], output = argv[4];

    int glutArgc = 1;  // our own arguments are not the toolkit's options
    glutInitWindowSize(width, height);
    glutInitWindowPosition(0, 0);
    glutInit(&glutArgc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    const int window = glutCreateWindow("velmora_render_frames");
    const int code = DrawFrames(bitmap, width, height, output, frames);
    // The window and its GL context go before the end, so that nothing of the driver is left.
    glutDestroyWindow(window);
    glutExit();
    return code;
}
