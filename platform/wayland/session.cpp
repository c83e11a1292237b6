// Whether the program runs in a Wayland session (see session.h): a file of its own, so that
// asking pulls in nothing of the capture.
#include <cstdlib>

#include "platform/wayland/client.h"
#include "platform/wayland/session.h"

namespace platform::wayland {

bool InSession() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name) return false;
    // A name left over from another session (an X session started from a Wayland one, a stale
    // environment) leads nowhere: the X server's own picture is the desktop then.
    return Client().Connect();
}

}  // namespace platform::wayland
