// The watch on the desktop's shield (window_system.h's DesktopShieldWatch) on Linux: the buses'
// screen savers and lock (dbus/bus_shields.cpp), then, in an X session, the X server's own screen
// saver (MIT-SCREEN-SAVER: its state, then its ScreenSaverNotify events) and its display power
// management (DPMS: the monitors not On), over a connection of the watch's own.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

#include <chrono>
#include <vector>

#include "platform/base.h"
#include "platform/common/desktop_shield_backends.h"
#include "platform/window_system.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// How long the first answers of every source may take together.
constexpr std::chrono::milliseconds kAnswerTime{750};

class XShields final : public shields::Source {
  public:
    explicit XShields(Display* display) : display_(display) {}
    ~XShields() override { XCloseDisplay(display_); }

    void Open() {
        int error = 0;
        if (XScreenSaverQueryExtension(display_, &saverEvent_, &error)) {
            const Window root = DefaultRootWindow(display_);
            XScreenSaverSelectInput(display_, root, ScreenSaverNotifyMask);
            if (XScreenSaverInfo* info = XScreenSaverAllocInfo()) {
                if (XScreenSaverQueryInfo(display_, root, info))
                    saverOn_ = info->state == ScreenSaverOn;
                XFree(info);
            }
        } else {
            saverEvent_ = -1;
        }
        int event = 0;
        dpms_ = DPMSQueryExtension(display_, &event, &error) && DPMSCapable(display_);
    }

    DesktopShield Active() override {
        while (XPending(display_) > 0) {
            XEvent e;
            XNextEvent(display_, &e);
            if (saverEvent_ >= 0 && e.type == saverEvent_ + ScreenSaverNotify)
                saverOn_ = reinterpret_cast<XScreenSaverNotifyEvent&>(e).state != ScreenSaverOff;
        }
        if (saverOn_) return DesktopShield::XScreenSaver;
        if (dpms_ && MonitorsOff()) return DesktopShield::MonitorsOff;
        return DesktopShield::Off;
    }

  private:
    // The server sends no event when it changes the monitors' power: asked each time.
    bool MonitorsOff() {
        CARD16 level = DPMSModeOn;
        BOOL enabled = False;
        return DPMSInfo(display_, &level, &enabled) && enabled && level != DPMSModeOn;
    }

    Display* display_;
    int saverEvent_ = -1;
    bool saverOn_ = false;
    bool dpms_ = false;
};

// The X server's shields, in an X session only: in a Wayland session the X server is the
// compositor's XWayland, which sees no input that goes to Wayland windows, so its saver would
// count time the user was busy.
std::unique_ptr<shields::Source> OpenXShields() {
    if (InCompositorSession()) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    auto shields = std::make_unique<XShields>(display);
    shields->Open();
    return shields;
}

}  // namespace

struct DesktopShieldWatch::Sources {
    std::vector<std::unique_ptr<shields::Source>> all;
};

DesktopShieldWatch::DesktopShieldWatch() : sources_(std::make_unique<Sources>()) {
    const auto deadline = Clock::now() + kAnswerTime;
    if (auto bus = shields::OpenBusShields(deadline)) sources_->all.push_back(std::move(bus));
    if (auto x = OpenXShields()) sources_->all.push_back(std::move(x));
}

DesktopShieldWatch::~DesktopShieldWatch() = default;

DesktopShield DesktopShieldWatch::Active() {
    for (const auto& source : sources_->all)
        if (const DesktopShield shield = source->Active(); shield != DesktopShield::Off)
            return shield;
    return DesktopShield::Off;
}

}  // namespace platform
