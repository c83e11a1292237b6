// PNG files decoded to RGB with libpng (see desktop_picture.h), within bounds on what a file may
// make the reader allocate: the file comes from a folder any program of the user can write.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>

#include "platform/wayland/desktop_picture.h"

namespace platform {
namespace {

// The largest chunk the reader keeps in memory whole: a palette takes 768 bytes and the
// transparency chunk 256; the picture's data (IDAT) is read through a small buffer whatever
// its chunks claim, and every other chunk is skipped unread (kSkipped).
constexpr png_alloc_size_t kLargestChunk = 64 * 1024;
// The largest side the reader takes, whatever the caller allows.
constexpr png_uint_32 kLargestSide = 1u << 16;

// The ancillary chunks the picture needs none of: passed over without being kept, so that a
// chunk that claims gigabytes costs nothing (the names, five bytes each with the NUL).
constexpr png_byte kSkipped[] =
    "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0cHRM\0gAMA\0sRGB\0sBIT\0"
    "bKGD\0hIST\0pHYs\0oFFs\0pCAL\0sCAL\0tIME\0sTER";

struct MemoryInput {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, std::size_t count) {
    auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (count > input->bytes.size() - input->at) png_error(png, "read beyond end of data");
    std::memcpy(out, input->bytes.data() + input->at, count);
    input->at += count;
}

[[noreturn]] void StopReading(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Sets the bounds and the conversions to 8-bit RGB, with alpha composed over black.
void PrepareReader(png_structp png) {
    png_set_user_limits(png, kLargestSide, kLargestSide);
    png_set_chunk_malloc_max(png, kLargestChunk);
    png_set_chunk_cache_max(png, 16);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkipped,
                                static_cast<int>(sizeof kSkipped / 5));
}

void ConvertToRgb(png_structp png, png_infop info) {
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    if (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA ||
        png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_color_16 black{};
        png_set_background(png, &black, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Reads the picture into `out` once its size is within `maxPixels`. False on any fault of the
// file; libpng's errors come back here through longjmp, past frames of its own only.
bool Read(png_structp png, png_infop info, MemoryInput& input, std::int64_t maxPixels,
          DecodedImage& out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &input, ReadFromMemory);
    PrepareReader(png);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const std::int64_t pixels = std::int64_t{width} * height;
    if (width == 0 || height == 0 || pixels > maxPixels) return false;
    ConvertToRgb(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{width} * 3) return false;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.rgb.resize(static_cast<std::size_t>(pixels) * 3);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, out.rgb.data() + std::size_t{y} * width * 3, nullptr);
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

std::optional<DecodedImage> DecodePng(std::span<const std::uint8_t> bytes, std::int64_t maxPixels) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return std::nullopt;
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, StopReading, IgnoreWarning);
    if (!png) return std::nullopt;
    png_infop info = png_create_info_struct(png);
    // Made before the reader's jump point and filled through a pointer, so that a jump back
    // leaves it in a state it can be destroyed from.
    auto out = std::make_unique<DecodedImage>();
    MemoryInput input{bytes};
    const bool read = info && Read(png, info, input, maxPixels, *out);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (!read) return std::nullopt;
    return std::move(*out);
}

}  // namespace platform
