// The names of the desktop's shields in logs and traces (base.h's DesktopShieldName).
#include "platform/base.h"

namespace platform {

std::string_view DesktopShieldName(DesktopShield shield) {
    switch (shield) {
        case DesktopShield::Off:
            return {};
        case DesktopShield::GnomeScreenSaver:
            return "org.gnome.ScreenSaver";
        case DesktopShield::FreedesktopScreenSaver:
            return "org.freedesktop.ScreenSaver";
        case DesktopShield::SessionLocked:
            return "LockedHint";
        case DesktopShield::XScreenSaver:
            return "MIT-SCREEN-SAVER";
        case DesktopShield::MonitorsOff:
            return "DPMS";
    }
    return {};
}

}  // namespace platform
