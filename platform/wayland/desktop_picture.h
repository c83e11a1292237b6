// Pictures of the desktop as compositors hand them out (one image per output, or one image of
// the whole desktop at the outputs' scale) turned into the capture's bitmap: the monitors'
// bounding box, 1:1 with the desktop coordinates the windows use. Pure: no Wayland call, tested
// without a display.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/common/capture_reads.h"

namespace platform {

// How the pixels of an image are laid out in memory.
enum class PixelLayout {
    Bgrx,  // 4 bytes: blue, green, red, unused (Wayland's XRGB8888 and ARGB8888)
    Rgbx,  // 4 bytes: red, green, blue, unused (Wayland's XBGR8888 and ABGR8888)
    Rgb    // 3 bytes: red, green, blue (a decoded PNG, the capture's bitmap)
};

// An image somebody else owns. `stride` is the distance in bytes from one row to the next;
// `bottomUp` true when the first row in memory is the image's bottom row.
struct ImageView {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    PixelLayout layout = PixelLayout::Rgb;
    bool bottomUp = false;
};

// True when `image` names pixels and its stride holds a whole row (so that `height` rows of it
// lie within height * stride bytes).
bool IsWellFormed(const ImageView& image);

// Draws the part `from` of `image` (its pixels) into the part `to` of `target`, scaled to fit
// `to` exactly: each target pixel is the average of the source pixels it covers, so a 2x2 block
// of a doubly scaled output becomes one pixel. Both parts are clipped to their images first
// (keeping the scale); nothing happens when either is empty or `image` is not well formed.
void DrawScaled(const ImageView& image, const MonitorRect& from, RgbTarget& target,
                const MonitorRect& to);

// One output's picture and where the output lies on the desktop (its logical position and size
// in the desktop coordinates of Monitors(); the picture may hold more pixels at a scale above 1).
struct OutputPicture {
    ImageView image;
    MonitorRect place;
};

// Fills `target`, whose (0, 0) is the top-left of `box` (the monitors' bounding box), from the
// outputs' pictures: each scaled into its place; parts no output covers are black.
void ComposeOutputs(std::span<const OutputPicture> outputs, const MonitorRect& box,
                    RgbTarget& target);

// Fills `target` (whose (0, 0) is the top-left of the monitors' bounding box) from `desktop`, a
// picture of the whole desktop that covers that box at some scale (a portal's screenshot): each
// monitor's part of it is scaled to the monitor's size; parts no monitor shows are black. The
// scale is the picture's size over the box's, on each axis. False (target untouched) when the
// picture is not well formed or there is no monitor.
bool CropDesktop(const ImageView& desktop, std::span<const MonitorRect> monitors,
                 RgbTarget& target);

// A PNG file decoded to RGB (alpha dropped, 16-bit channels cut to 8, palettes and grey
// expanded). Nothing for bytes that are not a whole PNG or a picture larger than `maxPixels`.
struct DecodedImage {
    std::vector<std::uint8_t> rgb;
    int width = 0;
    int height = 0;
    ImageView View() const { return {rgb.data(), width, height, width * 3, PixelLayout::Rgb}; }
};
std::optional<DecodedImage> DecodePng(std::span<const std::uint8_t> bytes,
                                      std::int64_t maxPixels = std::int64_t{1} << 28);

}  // namespace platform
