// The idle sources each backend opens (platform/idle.h's OpenMonitor picks one): for the
// backends' use only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/idle.h"

namespace platform::idle {

// Each backend's source opens as OpenMonitor's does: into `monitor`, which it leaves as it was
// unless Opened, and otherwise Absent or Unanswered with why, in a few words, in `why`.

// MIT-SCREEN-SAVER on $DISPLAY (x11/idle.cpp).
Opening OpenXScreenSaver(std::unique_ptr<Monitor>& monitor, std::string* why);

// The compositor's ext_idle_notifier_v1 or org_kde_kwin_idle (wayland/idle.cpp).
Opening OpenWaylandIdle(Source source, std::int64_t idleMs, std::unique_ptr<Monitor>& monitor,
                        std::string* why);

// org.gnome.Mutter.IdleMonitor on the session bus (dbus/mutter_idle.cpp).
Opening OpenMutterIdle(std::int64_t idleMs, std::unique_ptr<Monitor>& monitor, std::string* why);

// `outcome` (Absent or Unanswered), with `reason` in `why` when given.
inline Opening NotOpened(Opening outcome, std::string_view reason, std::string* why) {
    if (why) *why = reason;
    return outcome;
}

}  // namespace platform::idle
