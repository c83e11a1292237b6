// The display's refresh rate (see gl.h), asked of XRandR on the current GLX context's own
// connection: the mode of the primary monitor's first output (else of the first monitor).
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "platform/common/refresh_rate.h"
#include "platform/gl.h"
#include "x11_display.h"

namespace platform {
namespace {

// The output shown on the primary monitor (XRandR 1.5 monitors), else on the first one; None
// when the server lists no monitor.
RROutput PrimaryOutput(Display* d, Window root) {
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(d, root, True, &count);
    if (!monitors) return None;
    RROutput output = None;
    for (int i = 0; i < count; ++i) {
        if (monitors[i].noutput < 1 || !monitors[i].outputs) continue;
        if (output == None || monitors[i].primary) output = monitors[i].outputs[0];
        if (monitors[i].primary) break;
    }
    XRRFreeMonitors(monitors);
    return output;
}

// The rate of the mode that `output`'s CRTC shows; 0 when it shows none or says no rate.
double OutputRate(Display* d, XRRScreenResources* resources, RROutput output) {
    double rate = 0;
    XRROutputInfo* info = XRRGetOutputInfo(d, resources, output);
    if (!info) return 0;
    if (info->crtc != None) {
        if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(d, resources, info->crtc)) {
            for (int i = 0; i < resources->nmode; ++i) {
                const XRRModeInfo& mode = resources->modes[i];
                if (mode.id != crtc->mode) continue;
                rate = ModeRefreshRate(mode.dotClock, mode.hTotal, mode.vTotal,
                                       (mode.modeFlags & RR_DoubleScan) != 0,
                                       (mode.modeFlags & RR_Interlace) != 0);
                break;
            }
            XRRFreeCrtcInfo(crtc);
        }
    }
    XRRFreeOutputInfo(info);
    return rate;
}

}  // namespace

double DisplayRefreshRate() {
    Display* d = glXGetCurrentDisplay();
    if (!d) return 0;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(d, &eventBase, &errorBase) || !XRRQueryVersion(d, &major, &minor) ||
        major * 100 + minor < 105)
        return 0;
    // Outputs and CRTCs can go between two requests (a monitor unplugged): such an error only
    // means no rate.
    x11::ErrorTrap trap(d);
    const Window root = DefaultRootWindow(d);
    const RROutput output = PrimaryOutput(d, root);
    if (output == None) return 0;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d, root);
    if (!resources) return 0;
    const double rate = OutputRate(d, resources, output);
    XRRFreeScreenResources(resources);
    return trap.Failed() ? 0 : rate;
}

}  // namespace platform
