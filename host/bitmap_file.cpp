// Encoding of 24-bit bitmap files, and SavePicture on top of it.
#include "host/bitmap_file.h"

#include <cstring>
#include <limits>

#include "platform/platform.h"

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

}  // namespace

std::string Encode24(const forms::Picture& picture) {
    const std::uint64_t width = picture.width > 0 ? picture.width : 0;
    const std::uint64_t height = picture.height > 0 ? picture.height : 0;
    if (width == 0 || height == 0 || picture.rgb.size() < width * height * 3) return {};
    const std::uint64_t stride = (width * 3 + 3) / 4 * 4;
    const std::uint64_t imageSize = stride * height;
    if (imageSize + kHeaders > std::numeric_limits<std::int32_t>::max()) return {};

    std::string out(kHeaders + imageSize, '\0');
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    Put32(out, 10, kHeaders);
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(height));  // positive: rows run bottom-up
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 34, static_cast<std::uint32_t>(imageSize));
    Put32(out, 38, kPixelsPerMetre);
    Put32(out, 42, kPixelsPerMetre);
    for (std::uint64_t y = 0; y < height; ++y) {
        const std::uint8_t* src = picture.Row(static_cast<int>(height - 1 - y));
        char* dst = out.data() + kHeaders + y * stride;
        for (std::uint64_t x = 0; x < width; ++x, src += 3, dst += 3) {
            dst[0] = static_cast<char>(src[2]);  // stored blue, green, red
            dst[1] = static_cast<char>(src[1]);
            dst[2] = static_cast<char>(src[0]);
        }
    }
    return out;
}

}  // namespace bitmap_file

namespace forms {

bool SavePicture(const Picture& picture, const std::string& path) {
    const std::string bytes = bitmap_file::Encode24(picture);
    if (bytes.empty()) return false;
    // The picture may show anything that was on the user's screen: private to the user, and
    // never left in a folder that others can write or that belongs to someone else.
    const std::string file = platform::MapDrivePath(path);
    const auto slash = file.find_last_of("/\\");
    if (slash == std::string::npos ||
        !platform::UnsafeFolderReason(file.substr(0, slash == 0 ? 1 : slash)).empty())
        return false;
    // Made anew for every run and read by the renderer at once: waiting for the disk would
    // only delay the picture.
    return platform::ReplaceFile(file, bytes, platform::FileAccess::OwnerOnly,
                                 platform::Durability::Passing);
}

}  // namespace forms
