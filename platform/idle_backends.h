// The idle sources each backend opens (platform/idle.h's OpenMonitor picks one): for the
// backends' use only.
#pragma once

#include <cstdint>

#include "platform/idle.h"

namespace platform::idle {

// MIT-SCREEN-SAVER on $DISPLAY (x11/idle.cpp).
Opened OpenXScreenSaver();

// org.gnome.Mutter.IdleMonitor on the session bus (wayland/mutter_idle.cpp).
Opened OpenMutterIdle(std::int64_t idleMs);

}  // namespace platform::idle
