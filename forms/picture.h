// Pixel buffers of the forms runtime: the persistent RGB picture of a picture box, and decoded
// images (RGB or RGBA) that controls show, such as the option buttons' pictures or a cursor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace forms {

// A persistent picture: 24-bit RGB pixels, rows top to bottom, 3 bytes a pixel, no padding.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    // Resizes to width x height filled with one colour (r, g, b); negative sizes count as 0.
    void Reset(int newWidth, int newHeight, std::uint8_t r = 0, std::uint8_t g = 0,
               std::uint8_t b = 0);
    std::uint8_t* Row(int y) { return rgb.data() + static_cast<std::size_t>(y) * width * 3; }
    const std::uint8_t* Row(int y) const {
        return rgb.data() + static_cast<std::size_t>(y) * width * 3;
    }
};

// Copies a width x height rectangle of `source` at (sx, sy) to (dx, dy) of `target`, clipped to
// both pictures (a negative origin moves the other one along). False when nothing was copied.
bool CopyRect(const Picture& source, int sx, int sy, int width, int height, Picture& target, int dx,
              int dy);

// A decoded image: rows top to bottom, `channels` bytes a pixel (3 RGB, 4 RGBA with straight
// alpha), no padding. Empty (0 x 0) when nothing could be decoded.
struct ImageData {
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<std::uint8_t> pixels;

    bool Empty() const { return width <= 0 || height <= 0; }
    // The RGB part, alpha dropped.
    Picture ToPicture() const;
};

// Decodes a PNG or JPEG file held in memory: for the program's own compiled-in pictures (some
// system readers take no length for JPEG data). Nothing for data that is neither or is damaged.
// Each backend decodes with what its system offers (the toolkit's readers, the system's codecs).
std::optional<ImageData> DecodeImage(const std::uint8_t* data, std::size_t size);

}  // namespace forms
