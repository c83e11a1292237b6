// How the push button paints its face, without a toolkit: the two-colour vertical gradient, the
// eight border pieces cut from a 64 x 25 look image, and where the caption goes. Everything works
// on plain RGB images so that it can be checked without a display.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace button {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb RgbFromHex(std::uint32_t rrggbb) {
    return {static_cast<std::uint8_t>(rrggbb >> 16), static_cast<std::uint8_t>(rrggbb >> 8),
            static_cast<std::uint8_t>(rrggbb)};
}

// An RGB picture, rows from the top, three bytes a pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    Image() = default;
    Image(int w, int h, Rgb fill = {});
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    Rgb At(int x, int y) const;          // black outside
    void Set(int x, int y, Rgb colour);  // ignored outside
    void Fill(Rgb colour);
};

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Rect&) const = default;
};

// Source and destination of one border piece.
struct Piece {
    Rect dst;
    Rect src;
};

// Look images and their parts, in pixels.
inline constexpr int kLookWidth = 64;
inline constexpr int kLookHeight = 25;
inline constexpr int kBorder = 4;
// The button is laid out in twips at 15 to a pixel, the scale its look images were drawn for.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kCaptionHeightTwips = 195;
inline constexpr int kCaptionRaiseTwips = 20;
// The button's own background, seen where nothing else is painted.
inline constexpr Rgb kBackground = RgbFromHex(0xECE9D8);

// The eight pieces, in painting order, for a face of width x height twips (all in twips).
std::array<Piece, 8> PieceRectsTwips(int widthTwips, int heightTwips);
// The same for a face of width x height pixels, converted to pixels.
std::array<Piece, 8> PieceRects(int widthPx, int heightPx);
// A twip coordinate or length in pixels (1 twip falls on pixel 0).
int TwipsToPixels(int twips);

// The caption label's rectangle on a face of width x height pixels: the whole width, 13 pixels
// high, vertically centred and raised by 10 twips.
Rect CaptionRect(int widthPx, int heightPx);
int CaptionTopTwips(int heightTwips);

// A colour held as "&HRRGGBB" text: the number's six upper-case hex digits read as red, green,
// blue pairs (not in the 0x00BBGGRR order of colour values).
Rgb ColourFromDigitsText(std::string_view text);
Rgb FaceWhite();
Rgb FaceTint();

// Fills the face with the vertical gradient: white at the top and the tint at the bottom, or the
// other way round when topDark. The last column and row are left alone (the border covers them).
void FillFaceGradient(Image& face, bool topDark);

// Copies src of `look` onto dst of `face`, nearest-pixel stretched, clipped to both images.
void CopyStretched(Image& face, Rect dst, const Image& look, Rect src);

// The whole face of a paint: cleared to the background, the gradient, then the eight pieces.
void PaintFace(Image& face, const Image& look, bool topDark);

// Uncompressed 24-bit bitmap files (54-byte header). Decode accepts bottom-up and top-down
// files and gives nothing for anything it cannot read safely.
std::vector<std::uint8_t> EncodeBitmap(const Image& image);
std::optional<Image> DecodeBitmap(const std::uint8_t* data, std::size_t size);

}  // namespace button
