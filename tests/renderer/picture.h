// Test helper: reads PNG and PPM pictures (screenshots, rendered frames) as RGB pixels.
#pragma once

#include <png.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "dib_builder.h"

namespace testdib {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // top row first

    bool ok() const { return width > 0 && height > 0; }
    Colour At(int x, int y) const {
        const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
        return {p[0], p[1], p[2]};
    }
};

inline Picture ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        picture.width = static_cast<int>(image.width);
        picture.height = static_cast<int>(image.height);
        picture.rgb = std::move(rgb);
    }
    png_image_free(&image);
    return picture;
}

// Binary PPM ("P6") with a maximum of 255, as the frame tool writes it.
inline Picture ReadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, max = 0;
    in >> magic >> width >> height >> max;
    in.get();
    Picture picture;
    if (magic != "P6" || max != 255 || width <= 0 || height <= 0) return picture;
    picture.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    in.read(reinterpret_cast<char*>(picture.rgb.data()),
            static_cast<std::streamsize>(picture.rgb.size()));
    if (!in) return picture;
    picture.width = width;
    picture.height = height;
    return picture;
}

// Roughly this colour: tolerant of filtering at the edges of flat areas.
inline bool Near(const Colour& a, const Colour& b) {
    auto close = [](int x, int y) { return x - y < 40 && y - x < 40; };
    return close(a.r, b.r) && close(a.g, b.g) && close(a.b, b.b);
}

}  // namespace testdib
