// Whether the program runs in a Wayland session (InCompositorSession of window_system.h): a file of
// its own, so that asking pulls in nothing of the capture.
#include <cstdlib>

#include "platform/wayland/client.h"
#include "platform/window_system.h"

namespace platform {

bool InCompositorSession() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name) return false;
    // A name left over from another session (an X session started from a Wayland one, a stale
    // environment) leads nowhere: the X server's own picture is the desktop then.
    return wayland::Client().Connect();
}

}  // namespace platform
