// The caption zoom animation: an outline rectangle that grows from a point to a window (or
// shrinks back), drawn with XOR on the root window so that drawing it twice erases it.
#include <X11/Xlib.h>
#include <time.h>

#include <algorithm>

#include "platform/window_system.h"
#include "x11_display.h"

namespace platform {
namespace {

constexpr int kSteps = 8;
constexpr long kStepNanoseconds = 18'000'000;  // 8 steps x 18 ms: well under 250 ms

WindowRect Between(const WindowRect& a, const WindowRect& b, int step) {
    auto mix = [step](int p, int q) { return p + (q - p) * step / kSteps; };
    return {mix(a.left, b.left), mix(a.top, b.top), mix(a.right, b.right), mix(a.bottom, b.bottom)};
}

void Outline(Display* d, Window root, GC gc, const WindowRect& r) {
    const int w = std::max(r.right - r.left, 1);
    const int h = std::max(r.bottom - r.top, 1);
    XDrawRectangle(d, root, gc, r.left, r.top, static_cast<unsigned>(w), static_cast<unsigned>(h));
}

}  // namespace

void AnimateZoom(const WindowRect& from, const WindowRect& to) {
    Display* d = x11::Connection();
    if (!d) return;
    x11::ErrorTrap trap(d);
    const Window root = DefaultRootWindow(d);
    XGCValues values{};
    values.function = GXxor;
    values.foreground = WhitePixel(d, DefaultScreen(d)) ^ BlackPixel(d, DefaultScreen(d));
    values.subwindow_mode = IncludeInferiors;  // draw over the windows, not under them
    values.line_width = 2;
    GC gc = XCreateGC(d, root, GCFunction | GCForeground | GCSubwindowMode | GCLineWidth, &values);
    for (int step = 1; step <= kSteps; ++step) {
        const WindowRect r = Between(from, to, step);
        Outline(d, root, gc, r);
        XSync(d, False);
        const timespec pause{0, kStepNanoseconds};
        nanosleep(&pause, nullptr);
        Outline(d, root, gc, r);  // XOR again: the screen is as before
    }
    XFreeGC(d, gc);
    XSync(d, False);
}

}  // namespace platform
