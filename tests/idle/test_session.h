// The idle tests' sessions: which displays the environment names, the desktop's names, sway.
#pragma once

#include <string>

#include "platform/idle.h"

namespace testidle {

inline platform::idle::Session Make(bool wayland, bool x11, std::string desktops = "",
                                    bool sway = false) {
    platform::idle::Session session;
    session.wayland = wayland;
    session.x11 = x11;
    session.desktops = std::move(desktops);
    session.sway = sway;
    return session;
}

}  // namespace testidle
