// Draws the settings dialog's pictures (see pictures.h). Everything is computed from fixed
// numbers and a seeded generator of our own, so every run gives the same bytes.
#include "pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace dialog_pictures {
namespace {

// A small linear congruential generator: the same sequence on every system.
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    // Uniform in [-1, 1].
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

  private:
    std::uint32_t state_;
};

std::uint8_t Clamp8(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

Picture Blank(int width, int height, int channels) {
    Picture p;
    p.width = width;
    p.height = height;
    p.channels = channels;
    p.pixels.assign(static_cast<std::size_t>(width * height * channels), 0);
    return p;
}

void Put(Picture& p, int x, int y, std::array<double, 4> rgba) {
    const auto at = static_cast<std::size_t>((y * p.width + x) * p.channels);
    for (int c = 0; c < p.channels; ++c)
        p.pixels[at + static_cast<std::size_t>(c)] = Clamp8(rgba[c]);
}

// ---- PNG
// -----------------------------------------------------------------------------------------

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(std::vector<std::uint8_t>& out, std::string_view type,
           const std::vector<std::uint8_t>& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored deflate blocks.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::size_t pos = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - pos, 65535);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(n & 0xFF));
        z.push_back(static_cast<std::uint8_t>(n >> 8));
        z.push_back(static_cast<std::uint8_t>(~n & 0xFF));
        z.push_back(static_cast<std::uint8_t>((~n >> 8) & 0xFF));
        z.insert(z.end(), raw.begin() + static_cast<long>(pos),
                 raw.begin() + static_cast<long>(pos + n));
        pos += n;
    } while (pos < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(z, (b << 16) | a);
    return z;
}

// ---- Hand cursor
// -----------------------------------------------------------------------------------

// '#' black outline, '.' white fill, blank transparent. Rows 0 to 9 are empty.
constexpr std::array<std::string_view, 21> kHand = {
    "           ###",            // 10: the finger tip, hot spot at column 12
    "          #...#",           // 11
    "          #...#",           // 12
    "          #...#",           // 13
    "          #...#",           // 14
    "          #...###",         // 15
    "          #...#..###",      // 16
    "          #...#..#..###",   // 17
    "          #...#..#..#..#",  // 18
    "   ###    #...#..#..#..#",  // 19
    "   #..#   #...#..#..#..#",  // 20
    "   #...#  #...#..#..#..#",  // 21
    "    #...# #............#",  // 22
    "     #.................#",  // 23
    "      #................#",  // 24
    "       #...............#",  // 25
    "        #.............#",   // 26
    "         #...........#",    // 27
    "          #..........#",    // 28
    "          #..........#",    // 29
    "          ############",    // 30
};

}  // namespace

Picture MetalStrip() {
    constexpr int kW = 556, kH = 20;
    Picture p = Blank(kW, kH, 3);
    Random random(0x5EED1234u);
    for (int y = 0; y < kH; ++y) {
        const double rowShade = random.Next() * 7.0;
        // Streaks: noise smoothed along the row in both directions, so that it runs in long
        // horizontal threads.
        std::vector<double> streak(kW);
        double s = 0;
        for (int x = 0; x < kW; ++x) streak[x] = s = s * 0.88 + random.Next() * 0.12;
        s = 0;
        for (int x = kW - 1; x >= 0; --x) streak[x] = s = s * 0.88 + streak[x] * 0.12;
        for (int x = 0; x < kW; ++x) {
            const double base = 234.0 - 92.0 * x / (kW - 1);
            const double v = base + rowShade + streak[x] * 90.0 + random.Next() * 2.5;
            Put(p, x, y, {v - 1.0, v, v + 3.0, 255});
        }
    }
    return p;
}

Picture RadioOff() {
    Picture p = Blank(12, 12, 3);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool border = x == 0 || y == 0 || x == 11 || y == 11;
            Put(p, x, y,
                border ? std::array<double, 4>{128, 128, 128, 255}
                       : std::array<double, 4>{255, 255, 255, 255});
        }
    return p;
}

Picture RadioOn() {
    Picture p = RadioOff();
    for (int y = 2; y < 10; ++y)
        for (int x = 2; x < 10; ++x) {
            const double t = (y - 2) / 7.0;  // a little lighter at the top
            Put(p, x, y, {40 - 20 * t, 110 - 40 * t, 230 - 40 * t, 255});
        }
    return p;
}

Picture Icon(int size) {
    Picture p = Blank(size, size, 4);
    constexpr int kSub = 4;           // samples per pixel side, for smooth edges
    const double unit = 32.0 / size;  // the design is laid out on a 32 x 32 grid
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            std::array<double, 4> sum{};
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx) {
                    const double px = (x + (sx + 0.5) / kSub) * unit;
                    const double py = (y + (sy + 0.5) / kSub) * unit;
                    // Rounded tile: corners of radius 6.
                    const double cx = std::clamp(px, 6.0, 26.0), cy = std::clamp(py, 6.0, 26.0);
                    if (std::hypot(px - cx, py - cy) > 6.0 || px < 1 || py < 1 || px > 31 ||
                        py > 31)
                        continue;
                    const double dy = std::fabs(std::sin(py / 32.0 * 3.142));
                    std::array<double, 3> c = {20 + 60 * dy, 20 + 60 * dy, 70 + 60 * dy};
                    const double rx = px - 16, ry = py - 16, r = std::hypot(rx, ry);
                    if (r < 11.5) {
                        // The lens: swirl stripes that turn further towards the middle.
                        const double turn = std::atan2(ry, rx) + (11.5 - r) * 0.35;
                        const double band = 0.5 + 0.5 * std::sin(turn * 5.0);
                        const double light = 1.0 - r / 23.0;
                        c = {(150 + 90 * band) * light + 30, (160 + 80 * band) * light + 30,
                             235 * light + 20};
                    } else if (r < 12.5) {
                        c = {235, 235, 250};  // the lens rim
                    }
                    sum[0] += c[0];
                    sum[1] += c[1];
                    sum[2] += c[2];
                    sum[3] += 255;
                }
            const double n = kSub * kSub, a = sum[3] / n;
            if (a > 0)
                Put(p, x, y, {sum[0] / n * 255 / a, sum[1] / n * 255 / a, sum[2] / n * 255 / a, a});
        }
    return p;
}

Picture HandCursor() {
    Picture p = Blank(32, 32, 4);
    for (std::size_t row = 0; row < kHand.size(); ++row)
        for (std::size_t col = 0; col < kHand[row].size(); ++col) {
            const char c = kHand[row][col];
            if (c == ' ') continue;
            const double v = c == '#' ? 0 : 255;
            Put(p, static_cast<int>(col), static_cast<int>(row) + kHandHotY, {v, v, v, 255});
        }
    return p;
}

std::vector<std::uint8_t> EncodePng(const Picture& picture) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutBig32(header, static_cast<std::uint32_t>(picture.width));
    PutBig32(header, static_cast<std::uint32_t>(picture.height));
    header.push_back(8);                              // bit depth
    header.push_back(picture.channels == 4 ? 6 : 2);  // RGBA or RGB
    header.insert(header.end(), {0, 0, 0});           // deflate, filters, no interlace
    Chunk(out, "IHDR", header);

    const auto rowBytes = static_cast<std::size_t>(picture.width * picture.channels);
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);  // filter: none
        const auto row = picture.pixels.begin() + static_cast<long>(rowBytes * y);
        raw.insert(raw.end(), row, row + static_cast<long>(rowBytes));
    }
    Chunk(out, "IDAT", StoredZlib(raw));
    Chunk(out, "IEND", {});
    return out;
}

std::vector<NamedPicture> AllPictures() {
    return {{"metal_strip.png", MetalStrip()},
            {"radio_off.png", RadioOff()},
            {"radio_on.png", RadioOn()},
            {"icon.png", Icon()},
            {"hand_cursor.png", HandCursor()}};
}

}  // namespace dialog_pictures
