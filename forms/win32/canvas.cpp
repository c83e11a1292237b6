// Pictures on Win32 (see win32_form.h): the off-screen canvas that forms and paint surfaces paint
// on, RGB pictures drawn through StretchDIBits as BGR rows, translucent ones blended by hand,
// bilinear scaling, and cursors and icons made from RGBA pictures.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "forms/win32/win32_form.h"

namespace forms::win32 {
namespace {

BITMAPINFO TopDownInfo(int width, int height, int bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits);
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

bool SizeFits(int width, int height, int channels, std::size_t bytes) {
    return width > 0 && height > 0 && channels >= 3 && channels <= 4 &&
           bytes >= static_cast<std::size_t>(width) * height * channels;
}

}  // namespace

bool Contains(const Rect& r, int x, int y) {
    return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

Rect Intersect(const Rect& a, const Rect& b) {
    const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.width, b.x + b.width);
    const int bottom = std::min(a.y + a.height, b.y + b.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

// ---- Canvas ------------------------------------------------------------------------------------

Canvas::Canvas(HDC reference, const Rect& area) : area_(area), clip_(area) {
    if (area.width <= 0 || area.height <= 0) return;
    dc_ = CreateCompatibleDC(reference);
    if (!dc_) return;
    BITMAPINFO info = TopDownInfo(area.width, area.height, 32);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_) return;
    oldBitmap_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<std::uint32_t*>(bits);
    SetBkMode(dc_, TRANSPARENT);
}

Canvas::~Canvas() {
    if (dc_ && oldBitmap_) SelectObject(dc_, oldBitmap_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
}

RECT Canvas::ToDevice(const Rect& r) const {
    return RECT{r.x - area_.x, r.y - area_.y, r.x - area_.x + r.width, r.y - area_.y + r.height};
}

void Canvas::ClipTo(const Rect& clip) {
    clip_ = Intersect(clip, area_);
    if (!dc_) return;
    const RECT d = ToDevice(clip_);
    HRGN region = CreateRectRgn(d.left, d.top, d.right, d.bottom);
    SelectClipRgn(dc_, region);
    DeleteObject(region);
}

void Canvas::ResetClip() {
    clip_ = area_;
    if (dc_) SelectClipRgn(dc_, nullptr);
}

void Canvas::Fill(const Rect& r, std::uint32_t rgb) {
    if (!Ready()) return;
    const RECT d = ToDevice(r);
    HBRUSH brush = CreateSolidBrush(ToColorRef(rgb));
    FillRect(dc_, &d, brush);
    DeleteObject(brush);
}

void Canvas::HorizontalLine(int x0, int x1, int y, std::uint32_t rgb) {
    Fill({std::min(x0, x1), y, std::abs(x1 - x0) + 1, 1}, rgb);
}

void Canvas::SunkenFrame(const Rect& r) {
    if (!Ready()) return;
    RECT d = ToDevice(r);
    DrawEdge(dc_, &d, EDGE_SUNKEN, BF_RECT);
}

void Canvas::BlackFrame(const Rect& r) {
    if (!Ready()) return;
    const RECT d = ToDevice(r);
    FrameRect(dc_, &d, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void Canvas::Draw(const std::uint8_t* pixels, int width, int height, int channels, int x, int y) {
    if (!Ready() || !pixels || width <= 0 || height <= 0 || channels < 3 || channels > 4) return;
    if (channels == 3) {
        // BGR rows, each padded to a multiple of four bytes, as a device-independent bitmap.
        const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
        std::vector<std::uint8_t> bgr(stride * height);
        for (int row = 0; row < height; ++row) {
            const std::uint8_t* from = pixels + static_cast<std::size_t>(row) * width * 3;
            std::uint8_t* to = bgr.data() + row * stride;
            for (int i = 0; i < width; ++i, from += 3, to += 3) {
                to[0] = from[2];
                to[1] = from[1];
                to[2] = from[0];
            }
        }
        BITMAPINFO info = TopDownInfo(width, height, 24);
        StretchDIBits(dc_, x - area_.x, y - area_.y, width, height, 0, 0, width, height, bgr.data(),
                      &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    // Straight alpha blended over what the canvas holds, inside the clip.
    GdiFlush();
    const Rect target = Intersect(Rect{x, y, width, height}, clip_);
    for (int py = target.y; py < target.y + target.height; ++py) {
        const std::uint8_t* from =
            pixels + (static_cast<std::size_t>(py - y) * width + (target.x - x)) * 4;
        std::uint32_t* to =
            bits_ + static_cast<std::size_t>(py - area_.y) * area_.width + (target.x - area_.x);
        for (int px = 0; px < target.width; ++px, from += 4, ++to) {
            const unsigned a = from[3];
            if (a == 0) continue;
            const unsigned old = *to;
            const auto mix = [a](unsigned over, unsigned under) {
                return (over * a + under * (255 - a) + 127) / 255;
            };
            const unsigned r = mix(from[0], (old >> 16) & 0xFF);
            const unsigned g = mix(from[1], (old >> 8) & 0xFF);
            const unsigned b = mix(from[2], old & 0xFF);
            *to = (r << 16) | (g << 8) | b;
        }
    }
}

void Canvas::Show(HDC dc) const {
    if (!Ready()) return;
    GdiFlush();
    BitBlt(dc, 0, 0, area_.width, area_.height, dc_, 0, 0, SRCCOPY);
}

// ---- Scaling -----------------------------------------------------------------------------------

ImageData ScaleBilinear(const ImageData& image, int width, int height) {
    ImageData out;
    if (!SizeFits(image.width, image.height, image.channels, image.pixels.size()) || width <= 0 ||
        height <= 0)
        return out;
    const int n = image.channels;
    out.width = width;
    out.height = height;
    out.channels = n;
    out.pixels.resize(static_cast<std::size_t>(width) * height * n);
    // Pixel centres map onto pixel centres; samples beyond the edge repeat the edge.
    const double sx = static_cast<double>(image.width) / width;
    const double sy = static_cast<double>(image.height) / height;
    for (int y = 0; y < height; ++y) {
        const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, image.height - 1.0);
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, image.height - 1);
        const double wy = fy - y0;
        for (int x = 0; x < width; ++x) {
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, image.width - 1.0);
            const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, image.width - 1);
            const double wx = fx - x0;
            const auto at = [&](int px, int py) {
                return &image.pixels[(static_cast<std::size_t>(py) * image.width + px) * n];
            };
            const std::uint8_t *a = at(x0, y0), *b = at(x1, y0), *c = at(x0, y1), *d = at(x1, y1);
            std::uint8_t* to = &out.pixels[(static_cast<std::size_t>(y) * width + x) * n];
            for (int k = 0; k < n; ++k) {
                const double top = a[k] + (b[k] - a[k]) * wx;
                const double bottom = c[k] + (d[k] - c[k]) * wx;
                to[k] = static_cast<std::uint8_t>(std::lround(top + (bottom - top) * wy));
            }
        }
    }
    return out;
}

// ---- Cursors and icons -------------------------------------------------------------------------

HICON MakeIconFromImage(const ImageData& image, bool isIcon, int hotX, int hotY) {
    if (!SizeFits(image.width, image.height, image.channels, image.pixels.size())) return nullptr;
    BITMAPINFO info = TopDownInfo(image.width, image.height, 32);
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!colour) return nullptr;
    // 32-bit BGRA with straight alpha: the system uses the alpha channel of such a picture, and
    // the mask below only matters where it does not.
    auto* to = static_cast<std::uint8_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    for (std::size_t i = 0; i < count; ++i, to += 4) {
        const std::uint8_t* from = &image.pixels[i * image.channels];
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
        to[3] = image.channels == 4 ? from[3] : 255;
    }
    // An all-clear AND mask (rows of whole 16-bit words).
    const std::vector<std::uint8_t> clear(static_cast<std::size_t>((image.width + 15) / 16) * 2 *
                                          image.height);
    HBITMAP mask = CreateBitmap(image.width, image.height, 1, 1, clear.data());
    ICONINFO icon{};
    icon.fIcon = isIcon ? TRUE : FALSE;
    icon.xHotspot = static_cast<DWORD>(std::clamp(hotX, 0, image.width - 1));
    icon.yHotspot = static_cast<DWORD>(std::clamp(hotY, 0, image.height - 1));
    icon.hbmMask = mask;
    icon.hbmColor = colour;
    HICON made = mask ? CreateIconIndirect(&icon) : nullptr;
    if (mask) DeleteObject(mask);
    DeleteObject(colour);
    return made;
}

}  // namespace forms::win32
