// The words for a failed sd-bus call, shared by the backend's two users of the session bus (the
// portal's capture route and GNOME's idle monitor).
#pragma once

#include <systemd/sd-bus.h>

#include <string>

#include "platform/base.h"

namespace platform::dbus {

// The bus's own message for `error` when it has one, else the system's words for the error
// number `r` that the call returned (negative or not).
inline std::string BusErrorWords(const sd_bus_error& error, int r) {
    if (error.message) return error.message;
    return platform::ErrorWords(r < 0 ? -r : r);
}

}  // namespace platform::dbus
