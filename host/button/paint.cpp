// The push button's face painting on plain RGB images.
#include "host/button/paint.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "forms/property_store.h"

namespace button {

Image::Image(int w, int h, Rgb fill) : width(std::max(w, 0)), height(std::max(h, 0)) {
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    Fill(fill);
}

Rgb Image::At(int x, int y) const {
    if (!Contains(x, y)) return {};
    const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
}

void Image::Set(int x, int y, Rgb colour) {
    if (!Contains(x, y)) return;
    std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
}

void Image::Fill(Rgb colour) {
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        rgb[i] = colour.r;
        rgb[i + 1] = colour.g;
        rgb[i + 2] = colour.b;
    }
}

// ---- Geometry ----

std::array<Piece, 8> PieceRectsTwips(int W, int H) {
    return {{
        {{1, 1, 60, 60}, {0, 0, 60, 60}},                 // top-left corner
        {{60, 1, W - 120, 60}, {60, 1, 840, 60}},         // top edge
        {{W - 60, 1, 60, 60}, {900, 1, 60, 60}},          // top-right corner
        {{W - 60, 60, 60, H - 120}, {900, 60, 60, 255}},  // right edge
        {{W - 60, H - 60, 60, 60}, {900, 315, 60, 60}},   // bottom-right corner
        {{60, H - 60, W - 120, 60}, {60, 315, 840, 60}},  // bottom edge
        {{1, H - 60, 60, 60}, {0, 315, 60, 60}},          // bottom-left corner
        {{1, 60, 60, H - 120}, {1, 60, 60, 255}},         // left edge
    }};
}

int TwipsToPixels(int twips) {
    // Floor division, so that negative lengths of tiny faces stay negative (and draw nothing).
    return twips >= 0 ? twips / kTwipsPerPixel : -((-twips + kTwipsPerPixel - 1) / kTwipsPerPixel);
}

std::array<Piece, 8> PieceRects(int widthPx, int heightPx) {
    auto pieces = PieceRectsTwips(widthPx * kTwipsPerPixel, heightPx * kTwipsPerPixel);
    auto toPixels = [](Rect r) {
        return Rect{TwipsToPixels(r.x), TwipsToPixels(r.y), TwipsToPixels(r.w), TwipsToPixels(r.h)};
    };
    for (auto& p : pieces) {
        p.dst = toPixels(p.dst);
        p.src = toPixels(p.src);
    }
    return pieces;
}

int CaptionTopTwips(int heightTwips) {
    return (heightTwips - kCaptionHeightTwips - kCaptionRaiseTwips) / 2;
}

Rect CaptionRect(int widthPx, int heightPx) {
    return {0, TwipsToPixels(CaptionTopTwips(heightPx * kTwipsPerPixel)), widthPx,
            TwipsToPixels(kCaptionHeightTwips)};
}

// ---- Gradient ----

Rgb ColourFromDigitsText(std::string_view text) {
    auto number = forms::TextToInteger(text, INT32_MIN, UINT32_MAX).value_or(0);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(number));
    std::string hex = digits;
    auto pair = [&](std::size_t at) -> std::uint8_t {
        if (at >= hex.size()) return 0;
        return static_cast<std::uint8_t>(std::stoul(hex.substr(at, 2), nullptr, 16));
    };
    return {pair(0), pair(2), pair(4)};
}

Rgb FaceWhite() {
    return ColourFromDigitsText("&HFFFFFF");
}
Rgb FaceTint() {
    return ColourFromDigitsText("&HC6C5D7");
}

void FillFaceGradient(Image& face, bool topDark) {
    const int w = face.width, h = face.height;
    if (w < 2 || h < 2) return;
    Rgb top = topDark ? FaceTint() : FaceWhite();
    Rgb bottom = topDark ? FaceWhite() : FaceTint();
    // 16-bit channels (the 8-bit value times 256), blended linearly from row 0 to row h-1.
    auto channel = [&](int a, int b, int y) {
        long long from = a * 256LL, to = b * 256LL;
        return static_cast<std::uint8_t>((from + (to - from) * y / (h - 1)) >> 8);
    };
    for (int y = 0; y < h - 1; ++y) {
        Rgb c{channel(top.r, bottom.r, y), channel(top.g, bottom.g, y),
              channel(top.b, bottom.b, y)};
        for (int x = 0; x < w - 1; ++x) face.Set(x, y, c);
    }
}

// ---- Pieces ----

void CopyStretched(Image& face, Rect dst, const Image& look, Rect src) {
    if (dst.w <= 0 || dst.h <= 0 || src.w <= 0 || src.h <= 0) return;
    const int x0 = std::max(dst.x, 0), x1 = std::min(dst.x + dst.w, face.width);
    const int y0 = std::max(dst.y, 0), y1 = std::min(dst.y + dst.h, face.height);
    for (int y = y0; y < y1; ++y) {
        int sy = src.y + static_cast<int>(static_cast<long long>(y - dst.y) * src.h / dst.h);
        for (int x = x0; x < x1; ++x) {
            int sx = src.x + static_cast<int>(static_cast<long long>(x - dst.x) * src.w / dst.w);
            if (look.Contains(sx, sy)) face.Set(x, y, look.At(sx, sy));
        }
    }
}

void PaintFace(Image& face, const Image& look, bool topDark) {
    face.Fill(kBackground);
    FillFaceGradient(face, topDark);
    for (const Piece& p : PieceRects(face.width, face.height))
        CopyStretched(face, p.dst, look, p.src);
}

// ---- Bitmap files ----

namespace {

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    Put16(out, at, v);
    Put16(out, at + 2, v >> 16);
}

std::uint32_t Get16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}
std::uint32_t Get32(const std::uint8_t* p) {
    return Get16(p) | (Get16(p + 2) << 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBitmap(const Image& image) {
    const std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) / 4 * 4;
    const std::size_t pixels = stride * image.height;
    std::vector<std::uint8_t> out(54 + pixels, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    Put32(out, 10, 54);
    Put32(out, 14, 40);
    Put32(out, 18, image.width);
    Put32(out, 22, image.height);
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 34, static_cast<std::uint32_t>(pixels));
    Put32(out, 38, 3780);  // 96 dots per inch
    Put32(out, 42, 3780);
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* row = &out[54 + stride * (image.height - 1 - y)];
        for (int x = 0; x < image.width; ++x) {
            Rgb c = image.At(x, y);
            row[x * 3] = c.b;
            row[x * 3 + 1] = c.g;
            row[x * 3 + 2] = c.r;
        }
    }
    return out;
}

std::optional<Image> DecodeBitmap(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 54 || data[0] != 'B' || data[1] != 'M') return std::nullopt;
    const std::uint32_t offset = Get32(data + 10), infoSize = Get32(data + 14);
    const auto width = static_cast<std::int32_t>(Get32(data + 18));
    const auto rawHeight = static_cast<std::int32_t>(Get32(data + 22));
    if (infoSize < 40 || Get16(data + 26) != 1 || Get16(data + 28) != 24 || Get32(data + 30) != 0)
        return std::nullopt;
    const bool topDown = rawHeight < 0;
    const long long height = topDown ? -static_cast<long long>(rawHeight) : rawHeight;
    if (width <= 0 || width > 8192 || height <= 0 || height > 8192) return std::nullopt;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    if (offset < 14ull + infoSize || offset > size || size - offset < stride * height)
        return std::nullopt;
    Image image(width, static_cast<int>(height));
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = data + offset + stride * (topDown ? y : image.height - 1 - y);
        for (int x = 0; x < width; ++x)
            image.Set(x, y, {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
    }
    return image;
}

}  // namespace button
