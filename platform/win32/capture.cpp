// The window system's read of the monitors for the capture (see common/capture_reads.h): BitBlt
// (with layered windows, CAPTUREBLT) of each monitor's part of the virtual screen into one 24-bit
// DIB section the size of the area asked for, then rows turned from BGR into RGB. The section
// starts zeroed: what no monitor shows stays black.
#include <windows.h>

#include <optional>
#include <span>
#include <string>

#include "platform/base.h"
#include "platform/common/capture_reads.h"
#include "platform/window_system.h"

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

// Blits `parts` (virtual-screen coordinates, inside `area`) into a new DIB section of the area's
// size and copies it out.
bool Blit(HDC screen, std::span<const MonitorRect> parts, const MonitorRect& area,
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
        for (const MonitorRect& part : parts)
            if (BitBlt(memory, part.x - area.x, part.y - area.y, part.width, part.height, screen,
                       part.x, part.y, SRCCOPY | CAPTUREBLT))
                ok = true;
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

bool ReadMonitors(std::span<const MonitorRect> parts, const MonitorRect& area,
                  const RgbTarget& target, std::string* why) {
    HDC screen = GetDC(nullptr);
    const bool ok = screen && Blit(screen, parts, area, target.rgb, target.stride);
    if (screen) ReleaseDC(nullptr, screen);
    if (!ok && why) *why = Translate("the system did not hand out the screen's pixels");
    return ok;
}

// Windows draws its desktop itself: the screen's read sees every monitor.
std::optional<Compositor> SessionCompositor() {
    return std::nullopt;
}

}  // namespace platform
