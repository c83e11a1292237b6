// The zoom animation (see zoom.h): the rectangles of the animation, drawn by the platform.
#include "host/zoom.h"

#include "forms/forms.h"
#include "host/zentrova_b.h"
#include "platform/window_system.h"

namespace Zentrova_B {
namespace {

platform::WindowRect PointRect() {
    // The 16-bit point is sign-extended, as the rectangle's 32-bit fields take it.
    const int x = ZoomX, y = ZoomY;
    return {x, y, x, y};
}

bool FormRect(const forms::Form* form, platform::WindowRect& r) {
    if (!form || !form->Loaded()) return false;
    const forms::Rect b = form->Bounds();
    r = {b.x, b.y, b.x + b.width, b.y + b.height};
    return true;
}

}  // namespace

void ZoomOpen(const forms::Form* form) {
    platform::WindowRect to;
    if (FormRect(form, to)) platform::AnimateZoom(PointRect(), to);
}

void ZoomClose(const forms::Form* form) {
    platform::WindowRect from;
    if (FormRect(form, from)) platform::AnimateZoom(from, PointRect());
}

}  // namespace Zentrova_B
