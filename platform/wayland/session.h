// Whether the program runs in a Wayland session: the one question about the session that the
// X11 side asks too (its window watch), in a header that brings in nothing of the capture.
#pragma once

namespace platform::wayland {

// True when the program runs in a Wayland session: WAYLAND_DISPLAY is set and a compositor
// answers there.
bool InSession();

}  // namespace platform::wayland
