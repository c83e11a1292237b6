// PNG files decoded to RGB with libpng's simplified reader (see desktop_picture.h).
#include <png.h>

#include "platform/wayland/desktop_picture.h"

namespace platform {

std::optional<DecodedImage> DecodePng(std::span<const std::uint8_t> bytes, std::int64_t maxPixels) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return std::nullopt;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
    const std::int64_t pixels = std::int64_t{image.width} * image.height;
    if (image.width == 0 || image.height == 0 || image.width > 1u << 16 ||
        image.height > 1u << 16 || pixels > maxPixels) {
        png_image_free(&image);
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGB;
    DecodedImage out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.resize(static_cast<std::size_t>(pixels) * 3);
    // An alpha channel, where there is one, is composed over black.
    png_color black{0, 0, 0};
    if (!png_image_finish_read(&image, &black, out.rgb.data(), out.width * 3, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return out;
}

}  // namespace platform
