// Encoding of 24-bit bitmap files, and SavePicture on top of it.
#include "forms/bitmap_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/base.h"

namespace bitmap_file {
namespace {

void Put16(std::string& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

constexpr std::uint32_t kHeaders = 14 + 40;
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch

// The two headers of a picture whose pixel rows take `imageSize` bytes.
std::string Headers(std::uint64_t width, std::uint64_t height, std::uint64_t imageSize) {
    std::string out(kHeaders, '\0');
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(kHeaders + imageSize));
    Put32(out, 10, kHeaders);
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(height));  // positive: rows run bottom-up
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 34, static_cast<std::uint32_t>(imageSize));
    Put32(out, 38, kPixelsPerMetre);
    Put32(out, 42, kPixelsPerMetre);
    return out;
}

// File row `y` (counted from the bottom), blue-green-red; the padding stays as `dst` holds it.
void PutRow(const forms::Picture& picture, std::uint64_t y, char* dst) {
    const std::uint8_t* src = picture.Row(static_cast<int>(picture.height - 1 - y));
    for (int x = 0; x < picture.width; ++x, src += 3, dst += 3) {
        dst[0] = static_cast<char>(src[2]);  // stored blue, green, red
        dst[1] = static_cast<char>(src[1]);
        dst[2] = static_cast<char>(src[0]);
    }
}

}  // namespace

bool Encode24To(const forms::Picture& picture, const platform::ByteSink& sink) {
    const std::uint64_t width = picture.width > 0 ? picture.width : 0;
    const std::uint64_t height = picture.height > 0 ? picture.height : 0;
    if (width == 0 || height == 0 || picture.rgb.size() < width * height * 3) return false;
    const std::uint64_t stride = (width * 3 + 3) / 4 * 4;
    const std::uint64_t imageSize = stride * height;
    if (imageSize + kHeaders > std::numeric_limits<std::int32_t>::max()) return false;
    if (!sink(Headers(width, height, imageSize))) return false;
    // Rows go out a batch at a time through one small buffer that stays in the cache, rather
    // than through a copy of the whole file.
    constexpr std::uint64_t kBatchBytes = 256 * 1024;
    const std::uint64_t rowsPerBatch = std::max<std::uint64_t>(1, kBatchBytes / stride);
    std::string batch(std::min(rowsPerBatch, height) * stride, '\0');
    for (std::uint64_t y = 0; y < height; y += rowsPerBatch) {
        const std::uint64_t rows = std::min(rowsPerBatch, height - y);
        for (std::uint64_t i = 0; i < rows; ++i) PutRow(picture, y + i, batch.data() + i * stride);
        if (!sink(std::string_view(batch.data(), rows * stride))) return false;
    }
    return true;
}

std::string Encode24(const forms::Picture& picture) {
    std::string out;
    const bool whole = Encode24To(picture, [&out](std::string_view piece) {
        out.append(piece);
        return true;
    });
    if (!whole) out.clear();
    return out;
}

}  // namespace bitmap_file

namespace forms {

bool SavePicture(const Picture& picture, const std::string& path, std::string* why) {
    // The picture may show anything that was on the user's screen: private to the user, and
    // never left in a folder that others can write or that belongs to someone else.
    const std::string file = platform::MapDrivePath(path);
    const auto slash = file.find_last_of("/\\");
    if (slash == std::string::npos) {
        if (why) *why = "no folder for " + file;
        return false;
    }
    if (!platform::FolderIsSafe(file.substr(0, slash == 0 ? 1 : slash), why)) return false;
    // Made anew for every run and read by the renderer at once: waiting for the disk would
    // only delay the picture. A picture that cannot be encoded leaves the old file as it was.
    return platform::ReplaceFileFrom(
        file,
        [&picture](const platform::ByteSink& sink) {
            return bitmap_file::Encode24To(picture, sink);
        },
        platform::FileAccess::OwnerOnly, platform::Durability::Passing, why);
}

}  // namespace forms
