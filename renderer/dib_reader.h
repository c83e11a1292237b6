// Reading device-independent bitmap (DIB) files into packed 24-bit RGB rows. Pure logic: no
// window system, so that it is tested and fuzzed without a display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace renderer {

// A loaded picture: `height` rows of 3 x `width` bytes (red, green, blue) without padding,
// in the file's storage order. A positive height means bottom-up rows (the first row is the
// bottom of the picture); a negative height means top-down rows.
struct RgbImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;
};

// Why a file was refused; each has its own text for the user (see dibErrorMessage).
enum class DibError {
    None,
    OpenFailed,       // absent, not a regular file, unreadable or empty
    UnknownFormat,    // no usable info header
    ConversionError,  // pixel data missing, truncated or in a form we do not read
    OutOfMemory,      // the picture is larger than we are willing to hold
};

// The largest pixel buffer the reader produces, in bytes.
inline constexpr std::size_t kMaxPixelBytes = std::size_t{1} << 30;
// The largest width or height accepted.
inline constexpr std::int64_t kMaxSide = 32768;

// The number of colour-table entries of the info header that starts at `header`; the caller
// guarantees that the whole header (12 bytes, or 40 for any other size field) is readable.
std::uint16_t dibColorCount(const std::uint8_t* header);

// Converts the bytes of a whole DIB file (with or without the 14-byte file header) into
// `image`. Never reads outside `file`. A picture with a side longer than `maxSide` is scaled
// down in the same pass, keeping its proportions, so that its longer side is `maxSide`: each
// pixel is the mean of the file's pixels it covers, and memory beyond the result stays within
// a few rows. Refuses pictures whose (scaled) pixel buffer would exceed `maxPixelBytes`.
DibError decodeDib(std::span<const std::uint8_t> file, RgbImage& image,
                   std::size_t maxPixelBytes = kMaxPixelBytes, std::int64_t maxSide = kMaxSide);

// The message shown to the user for `error`; `path` fills in the open failure's message.
std::string dibErrorMessage(DibError error, const std::string& path);

// Called once with the message of a failed load.
using ReportFailure = std::function<void(const std::string& message)>;

// Reads the DIB file at `path`, scaled down to `maxSide` as decodeDib does. On failure calls
// `report` exactly once with the message and returns nothing.
std::unique_ptr<RgbImage> loadDibFile(const char* path, const ReportFailure& report,
                                      std::int64_t maxSide = kMaxSide);

}  // namespace renderer
