// The idle sources each backend opens (platform/idle.h's OpenMonitor picks one): for the
// backends' use only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/idle.h"

namespace platform::idle {

// A source opened, or why not: what OpenMonitor hands on as its Opening and `why`.
struct Opened {
    std::unique_ptr<Monitor> monitor;  // nothing when it could not be opened; then:
    std::string error;                 // why, in a few words
    bool lasting = true;  // false when a display or bus did not answer, which may change
};

// MIT-SCREEN-SAVER on $DISPLAY (x11/idle.cpp).
Opened OpenXScreenSaver();

// The compositor's ext_idle_notifier_v1 or org_kde_kwin_idle (wayland/idle.cpp).
Opened OpenWaylandIdle(Source source, std::int64_t idleMs);

// org.gnome.Mutter.IdleMonitor on the session bus (dbus/mutter_idle.cpp).
Opened OpenMutterIdle(std::int64_t idleMs);

}  // namespace platform::idle
