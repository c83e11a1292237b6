// Reading every monitor's pixels: BitBlt (with layered windows, CAPTUREBLT) of each monitor of
// the virtual screen into one 24-bit DIB section the size of their bounding box, then rows
// turned from BGR into RGB. The section starts zeroed: what no monitor shows stays black.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/monitor_layout.h"
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

// Blits each monitor's part of `area` (virtual-screen coordinates) into a new DIB section of
// the area's size and copies it out.
bool Blit(HDC screen, const std::vector<MonitorRect>& monitors, const MonitorRect& area,
          std::uint8_t* rgb, int stride) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = area.width;
    info.bmiHeader.biHeight = -area.height;  // top-down, as the caller's rows are
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) return false;
    bool ok = false;
    if (HDC memory = CreateCompatibleDC(screen)) {
        HGDIOBJ old = SelectObject(memory, section);
        for (const MonitorRect& monitor : DistinctMonitors(monitors)) {
            const MonitorRect part = Intersection(monitor, area);
            if (part.width <= 0 || part.height <= 0) continue;
            if (BitBlt(memory, part.x - area.x, part.y - area.y, part.width, part.height, screen,
                       part.x, part.y, SRCCOPY | CAPTUREBLT))
                ok = true;
        }
        GdiFlush();
        if (ok)
            CopyRows(static_cast<const std::uint8_t*>(bits), area.width, area.height, rgb, stride);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    DeleteObject(section);
    return ok;
}

}  // namespace

std::string CaptureFailureReason() {
    return "the system did not hand out the screen's pixels";
}

ScreenSize DesktopPictureSize() {
    const MonitorRect box = BoundingBox(Monitors());
    return {box.width, box.height};
}

bool CaptureScreen(std::uint8_t* rgb, int width, int height, int stride) {
    if (!rgb || width <= 0 || height <= 0 || stride < width * 3) return false;
    const std::vector<MonitorRect> monitors = Monitors();
    const MonitorRect box = BoundingBox(monitors);
    const MonitorRect area{box.x, box.y, std::min(width, box.width), std::min(height, box.height)};
    if (area.width <= 0 || area.height <= 0) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    const bool ok = Blit(screen, monitors, area, rgb, stride);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace platform
