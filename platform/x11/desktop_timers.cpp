// The X server's own timers for the idle companion: its screen saver's timeout and the monitor's
// power saving (DPMS), read on a connection of their own.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include "platform/base.h"
#include "platform/idle.h"

namespace platform::idle {

std::optional<XTimerSettings> ReadXTimers(std::string* why) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        if (why) *why = platform::Translate("the X display could not be opened");
        return std::nullopt;
    }
    XTimerSettings timers;
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(d, &timeout, &interval, &blanking, &exposures);
    timers.saverTimeout = timeout > 0 ? timeout : 0;
    int event = 0, error = 0;
    CARD16 power = 0;
    BOOL on = False;
    if (DPMSQueryExtension(d, &event, &error) && DPMSCapable(d) && DPMSInfo(d, &power, &on) && on) {
        CARD16 standby = 0, suspend = 0, off = 0;
        if (DPMSGetTimeouts(d, &standby, &suspend, &off)) {
            timers.dpmsEnabled = true;
            timers.standby = standby;
            timers.suspend = suspend;
            timers.off = off;
        }
    }
    XCloseDisplay(d);
    return timers;
}

}  // namespace platform::idle
