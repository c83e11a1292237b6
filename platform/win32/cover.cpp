// The renderer's window over every monitor: a borderless top-most popup over the monitors'
// bounding box in the virtual screen.
#include <windows.h>

#include "platform/base.h"
#include "platform/gl.h"
#include "platform/monitor_layout.h"

namespace platform {

bool CoverMonitors(std::span<const MonitorRect> monitors) {
    const MonitorRect box = BoundingBox(monitors);
    HDC dc = wglGetCurrentDC();
    HWND w = dc ? WindowFromDC(dc) : nullptr;
    if (!w || !IsWindow(w) || box.width <= 0 || box.height <= 0) return false;
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    SetWindowLongPtrW(
        w, GWL_STYLE,
        (style & ~static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW)) | WS_POPUP | WS_VISIBLE);
    return SetWindowPos(w, HWND_TOPMOST, box.x, box.y, box.width, box.height,
                        SWP_FRAMECHANGED | SWP_SHOWWINDOW) != 0;
}

}  // namespace platform
