// Test helper: writes DIB files in memory in every form the reader accepts (and some it must
// refuse), so that tests need no committed pictures.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace testdib {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

struct DibSpec {
    std::int32_t width = 1;
    std::int32_t height = 1;  // negative: top-down
    int bitsPerPixel = 24;
    bool fileHeader = true;
    std::uint32_t headerSize = 40;  // 12, 40, or any other value written as a stub
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<Colour> palette;       // written as the colour table
    std::vector<std::uint32_t> masks;  // written after a 40-byte header (bit fields)
    // The stored value of the pixel at column x of stored row `row`: a palette index, a 16-
    // or 32-bit word, or 0xRRGGBB for 24 bits.
    std::function<std::uint32_t(int x, int row)> pixel = [](int, int) { return 0u; };
    std::vector<std::uint8_t> rawPixels;  // used instead of `pixel` when not empty
    bool padLastRow = true;
};

inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v);
    Put16(out, v >> 16);
}

inline std::vector<std::uint8_t> PixelRows(const DibSpec& layout) {
    std::vector<std::uint8_t> out;
    const int rows = layout.height < 0 ? -layout.height : layout.height;
    const int bpp = layout.bitsPerPixel;
    const std::size_t stride = (static_cast<std::size_t>(layout.width) * bpp + 31) / 32 * 4;
    for (int row = 0; row < rows; ++row) {
        std::vector<std::uint8_t> line(stride, 0);
        for (int x = 0; x < layout.width; ++x) {
            const std::uint32_t v = layout.pixel(x, row);
            if (bpp <= 8) {
                const int bit = x * bpp;
                line[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bpp - bit % 8));
            } else {
                for (int i = 0; i < bpp / 8; ++i)
                    line[x * (bpp / 8) + i] = static_cast<std::uint8_t>(v >> (8 * i));
            }
        }
        if (row == rows - 1 && !layout.padLastRow)
            line.resize((static_cast<std::size_t>(layout.width) * bpp + 7) / 8);
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

inline std::vector<std::uint8_t> BuildDib(const DibSpec& layout) {
    std::vector<std::uint8_t> info;
    if (layout.headerSize == 12) {
        Put32(info, 12);
        Put16(info, static_cast<std::uint32_t>(layout.width));
        Put16(info, static_cast<std::uint32_t>(layout.height));
        Put16(info, 1);
        Put16(info, layout.bitsPerPixel);
    } else {
        Put32(info, layout.headerSize);
        Put32(info, static_cast<std::uint32_t>(layout.width));
        Put32(info, static_cast<std::uint32_t>(layout.height));
        Put16(info, 1);
        Put16(info, layout.bitsPerPixel);
        Put32(info, layout.compression);
        Put32(info, 0);
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, layout.colorsUsed);
        Put32(info, 0);
        info.resize(layout.headerSize < 40 ? 40 : layout.headerSize, 0);
        for (std::uint32_t m : layout.masks) Put32(info, m);
    }
    for (const Colour& c : layout.palette) {
        info.push_back(c.b);
        info.push_back(c.g);
        info.push_back(c.r);
        if (layout.headerSize != 12) info.push_back(0);
    }
    const auto pixels = layout.rawPixels.empty() ? PixelRows(layout) : layout.rawPixels;
    std::vector<std::uint8_t> file;
    if (layout.fileHeader) {
        file = {'B', 'M'};
        Put32(file, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
        Put32(file, 0);
        Put32(file, static_cast<std::uint32_t>(14 + info.size()));
    }
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

inline bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A 24-bit bottom-up picture whose four quadrants are red (top left), green (top right),
// blue (bottom left) and white (bottom right).
inline std::vector<std::uint8_t> QuadrantPicture(int width, int height) {
    DibSpec layout;
    layout.width = width;
    layout.height = height;
    layout.pixel = [width, height](int x, int row) -> std::uint32_t {
        const bool top = row >= height / 2, left = x < width / 2;
        if (top) return left ? 0xFF0000 : 0x00FF00;
        return left ? 0x0000FF : 0xFFFFFF;
    };
    return BuildDib(layout);
}

}  // namespace testdib
