// The settings dialog's pictures, drawn from code so that each one can be made again exactly:
// the brushed-metal strip of the music panel, the two radio looks, the window icon and the
// pointing-hand cursor of the web-address label. Also a small PNG writer for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dialog_pictures {

// Pixels row by row from the top, 3 (RGB) or 4 (RGBA) bytes each.
struct Picture {
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<std::uint8_t> pixels;
};

// 556 x 20 RGB: fine horizontal streaks, light grey at the left darkening towards the right.
Picture MetalStrip();

// 12 x 12 RGB radio looks: an empty white square with a grey border (off), the same square
// filled with blue (on).
Picture RadioOff();
Picture RadioOn();

// `size` x `size` RGBA program icon (32 x 32 for the window): a lens with a swirl on a dark blue
// tile, the same design at every size.
Picture Icon(int size = 32);

// 32 x 32 RGBA pointing hand; the tip of the finger is the hot spot.
Picture HandCursor();
inline constexpr int kHandHotX = 12;
inline constexpr int kHandHotY = 10;

// The picture as a PNG file (stored, uncompressed deflate blocks: the output depends on
// nothing but the pixels).
std::vector<std::uint8_t> EncodePng(const Picture& picture);

// Every picture with the file name it is committed under in assets/dialog/.
struct NamedPicture {
    std::string fileName;
    Picture picture;
};
std::vector<NamedPicture> AllPictures();

}  // namespace dialog_pictures
