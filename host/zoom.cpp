// The zoom animation (see zoom.h): the rectangles of the animation, drawn by the platform.
#include "host/zoom.h"

#include <FL/Fl_Window.H>

#include "host/zentrova_b.h"
#include "platform/platform.h"

namespace Zentrova_B {
namespace {

platform::WindowRect PointRect() {
    // The 16-bit point is sign-extended, as the rectangle's 32-bit fields take it.
    const int x = ZoomX, y = ZoomY;
    return {x, y, x, y};
}

bool WindowRect(Fl_Window* window, platform::WindowRect& r) {
    if (!window) return false;
    r = {window->x(), window->y(), window->x() + window->w(), window->y() + window->h()};
    return true;
}

}  // namespace

void ZoomOpen(Fl_Window* window) {
    platform::WindowRect to;
    if (WindowRect(window, to)) platform::AnimateZoom(PointRect(), to);
}

void ZoomClose(Fl_Window* window) {
    platform::WindowRect from;
    if (WindowRect(window, from)) platform::AnimateZoom(from, PointRect());
}

}  // namespace Zentrova_B
