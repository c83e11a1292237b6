// Reading the primary monitor's pixels: BitBlt (with layered windows, CAPTUREBLT) of the
// screen into a 24-bit DIB section, then rows turned from BGR into RGB.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

// Copies the DIB section's rows (top-down, BGR, rows padded to 4 bytes) into `rgb`.
void CopyRows(const std::uint8_t* bits, int width, int height, std::uint8_t* rgb, int stride) {
    const std::size_t dibStride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = bits + dibStride * static_cast<std::size_t>(y);
        std::uint8_t* out = rgb + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
}

// Blits the screen's top-left width x height into a new DIB section and copies it out.
bool Blit(HDC screen, int width, int height, std::uint8_t* rgb, int stride) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as the caller's rows are
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) return false;
    bool ok = false;
    if (HDC memory = CreateCompatibleDC(screen)) {
        HGDIOBJ old = SelectObject(memory, section);
        ok = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        if (ok) CopyRows(static_cast<const std::uint8_t*>(bits), width, height, rgb, stride);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    DeleteObject(section);
    return ok;
}

}  // namespace

bool CaptureScreen(std::uint8_t* rgb, int width, int height, int stride) {
    if (!rgb || width <= 0 || height <= 0 || stride < width * 3) return false;
    // The primary monitor starts at (0, 0) of the virtual screen.
    const ScreenSize screenSize = PrimaryScreenSize();
    const int w = std::min(width, screenSize.width);
    const int h = std::min(height, screenSize.height);
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    const bool ok = Blit(screen, w, h, rgb, stride);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace platform
