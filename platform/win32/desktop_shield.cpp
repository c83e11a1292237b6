// The desktop's shield on Windows: the system itself starts a screensaver only while the desktop
// is neither locked nor blanked, so the watch has nothing to ask and answers Off.
#include "platform/base.h"
#include "platform/window_system.h"

namespace platform {

struct DesktopShieldWatch::Sources {};

DesktopShieldWatch::DesktopShieldWatch() = default;
DesktopShieldWatch::~DesktopShieldWatch() = default;

DesktopShield DesktopShieldWatch::Active() {
    return DesktopShield::Off;
}

}  // namespace platform
