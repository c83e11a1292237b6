// Draws the push button's six look images (64 x 25, 24-bit bitmaps) from their colour
// descriptions and writes them into a folder: make_button_looks <folder>. The committed copies
// under assets/button/ are this program's output.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "host/button/paint.h"

namespace {

using button::Image;
using button::Rgb;
using button::RgbFromHex;

// One ring of the border band: a colour for the top and bottom rows, and for each side a colour
// at the top of the image that shades to another at the bottom.
struct Ring {
    Rgb top, bottom, leftTop, leftBottom, rightTop, rightBottom;
};

Ring Solid(std::uint32_t c) {
    Rgb v = RgbFromHex(c);
    return {v, v, v, v, v, v};
}

Ring Sides(std::uint32_t top, std::uint32_t bottom, std::uint32_t sideTop,
           std::uint32_t sideBottom) {
    return {RgbFromHex(top),        RgbFromHex(bottom),  RgbFromHex(sideTop),
            RgbFromHex(sideBottom), RgbFromHex(sideTop), RgbFromHex(sideBottom)};
}

struct LookSpec {
    const char* file;
    int margin;  // plain rows of the dialog colour outside the rounded rim
    std::vector<Ring> rings;
};

constexpr std::uint32_t kSurround = 0xECE9D8;  // the dialog's face colour around the button
constexpr std::uint32_t kMiddle = 0xFFFFFF;    // never shown: the gradient covers it

const Ring kRim = {RgbFromHex(0xE0DCC9), RgbFromHex(0xF8F7F0), RgbFromHex(0xE2DECB),
                   RgbFromHex(0xE2DECB), RgbFromHex(0xF0EEE0), RgbFromHex(0xF0EEE0)};
const Ring kFrame = Solid(0x003C74);

std::vector<LookSpec> Looks() {
    Ring normalOuter = {RgbFromHex(0xFEFEFE), RgbFromHex(0xE1DED5), RgbFromHex(0xFEFEFE),
                        RgbFromHex(0xECEBE6), RgbFromHex(0xF6F4F2), RgbFromHex(0xE0DDD4)};
    Ring normalInner = {RgbFromHex(0xF3F3EE), RgbFromHex(0xD6D0C5), RgbFromHex(0xF3F3EE),
                        RgbFromHex(0xECEBE6), RgbFromHex(0xF6F4F2), RgbFromHex(0xE0DDD4)};
    std::vector<Ring> amber = {kRim, kFrame, Sides(0xFFF0CF, 0xF8B330, 0xFEDF9A, 0xF9B435),
                               Sides(0xFDD889, 0xE59700, 0xFEDF9A, 0xF9B435)};
    Ring blue = Sides(0xCEE7FF, 0x6982EE, 0xB7D0F4, 0x8BADE4);
    Ring sunken = {RgbFromHex(0xD1CCC1), RgbFromHex(0xF2F1EE), RgbFromHex(0xD8D4CB),
                   RgbFromHex(0xD8D4CB), RgbFromHex(0xE5E4DD), RgbFromHex(0xE5E4DD)};
    return {
        {"normal.bmp", 0, {kRim, kFrame, normalOuter, normalInner}},
        {"highlight.bmp", 0, amber},
        {"highlightselect.bmp", 0, amber},
        {"selected.bmp", 0, {kRim, kFrame, blue, blue}},
        {"pressed.bmp", 1, {kRim, kFrame, sunken}},
        {"disable.bmp", 1, {Solid(0xC9C7BA), Solid(0xF5F4EA), Solid(0xF5F4EA)}},
    };
}

Rgb Mix(Rgb a, Rgb b, double t) {
    auto m = [t](int x, int y) { return static_cast<std::uint8_t>(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// The colour of pixel (x, y): its depth inside a rounded rectangle (corner radius 3.5 pixels)
// picks the ring, the nearest edge picks the ring's side, and pixels cut by the rounding are
// blended with the surroundings.
Rgb PixelOf(const LookSpec& look, int x, int y) {
    const int w = button::kLookWidth - 2 * look.margin, h = button::kLookHeight - 2 * look.margin;
    const double lx = x - look.margin + 0.5, ly = y - look.margin + 0.5;
    const Rgb surround = RgbFromHex(kSurround);
    if (lx < 0 || ly < 0 || lx > w || ly > h) return surround;
    const double left = lx, right = w - lx, top = ly, bottom = h - ly;
    const double radius = 3.5;
    const double dx = radius - std::min(left, right), dy = radius - std::min(top, bottom);
    const double depth = (dx > 0 && dy > 0)
                             ? radius - std::hypot(dx, dy)
                             : std::min(std::min(left, right), std::min(top, bottom));
    const int ring = static_cast<int>(std::floor(std::max(depth, 0.0)));
    if (ring >= static_cast<int>(look.rings.size())) return RgbFromHex(kMiddle);
    const Ring& r = look.rings[ring];
    const double t = y / double(button::kLookHeight - 1);
    // In a corner the side whose edge is nearer to the rounding's centre wins.
    const bool horizontalEdge =
        (dx > 0 && dy > 0) ? dy >= dx : std::min(top, bottom) <= std::min(left, right);
    Rgb colour;
    if (horizontalEdge)
        colour = top <= bottom ? r.top : r.bottom;
    else if (left <= right)
        colour = Mix(r.leftTop, r.leftBottom, t);
    else
        colour = Mix(r.rightTop, r.rightBottom, t);
    const double coverage = std::clamp(depth + 0.9, 0.0, 1.0);
    return Mix(surround, colour, coverage);
}

Image Draw(const LookSpec& look) {
    Image image(button::kLookWidth, button::kLookHeight);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) image.Set(x, y, PixelOf(look, x, y));
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    for (const LookSpec& look : Looks()) {
        const std::string path = std::string(argv[1]) + "/" + look.file;
        const auto bytes = button::EncodeBitmap(Draw(look));
        std::FILE* f = std::fopen(path.c_str(), "wb");
        bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if (f && std::fclose(f) != 0) ok = false;
        if (!ok) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
            return 1;
        }
    }
    return 0;
}
