// The session's kind on Windows, which draws its desktop itself: no compositor stands between
// the program and the screen.
#include "platform/window_system.h"

namespace platform {

bool InCompositorSession() {
    return false;
}

}  // namespace platform
