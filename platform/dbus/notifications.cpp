// The idle companion's desktop notifications: org.freedesktop.Notifications' Notify on the session
// bus (sd-bus), which every desktop's notification service offers.
#include <systemd/sd-bus.h>

#include <cstring>
#include <string>

#include "platform/base.h"
#include "platform/dbus/bus_error.h"
#include "platform/idle.h"

namespace platform::idle {

bool Notify(std::string_view summary, std::string_view body, std::string* why) {
    constexpr std::uint64_t kTimeout = 5'000'000;  // microseconds
    sd_bus* bus = nullptr;
    int r = sd_bus_open_user(&bus);
    if (r < 0) {
        if (why)
            *why = platform::FillIn(platform::Translate("no session bus: %s"), {std::strerror(-r)});
        return false;
    }
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const std::string title(summary), text(body);
    r = sd_bus_message_new_method_call(bus, &call, "org.freedesktop.Notifications",
                                       "/org/freedesktop/Notifications",
                                       "org.freedesktop.Notifications", "Notify");
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
    // service's own).
    if (r >= 0)
        r = sd_bus_message_append(call, "susssasa{sv}i", "Velmora", 0u, "velmora", title.c_str(),
                                  text.c_str(), 0, 0, -1);
    if (r >= 0) r = sd_bus_call(bus, call, kTimeout, &error, &reply);
    if (r < 0 && why)
        *why = platform::FillIn(platform::Translate("no desktop notification: %s"),
                                {dbus::BusErrorWords(error, r)});
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    sd_bus_flush_close_unref(bus);
    return r >= 0;
}

}  // namespace platform::idle
