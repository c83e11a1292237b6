// The permission store's answer for screenshots (see permission_store.h), and the idle
// companion's look at it (platform/idle.h).
#include "platform/dbus/permission_store.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/idle.h"

namespace platform::dbus {
namespace {

constexpr const char* kStore = "org.freedesktop.impl.portal.PermissionStore";
constexpr const char* kStoreObject = "/org/freedesktop/impl/portal/PermissionStore";
constexpr std::uint64_t kLookupTimeout = 3'000'000;  // microseconds

// Reads the permissions of the entry "" (programs outside a sandbox) from the store's Lookup
// reply (a{sas} permissions, v data). Nothing when the entry is not there or unreadable.
std::optional<std::vector<std::string>> UnsandboxedEntry(sd_bus_message* reply) {
    if (sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "{sas}") <= 0) return std::nullopt;
    while (sd_bus_message_enter_container(reply, SD_BUS_TYPE_DICT_ENTRY, "sas") > 0) {
        const char* app = nullptr;
        if (sd_bus_message_read(reply, "s", &app) < 0) break;
        if (app && *app == '\0') {
            char** strv = nullptr;
            if (sd_bus_message_read_strv(reply, &strv) < 0) return std::nullopt;
            std::vector<std::string> permissions;
            for (char** p = strv; p && *p; ++p) {
                permissions.emplace_back(*p);
                std::free(*p);
            }
            std::free(strv);
            return permissions;
        }
        if (sd_bus_message_skip(reply, "as") < 0 || sd_bus_message_exit_container(reply) < 0) break;
    }
    return std::nullopt;
}

}  // namespace

StoredScreenshotAnswer LookUpStoredAnswer(sd_bus* bus) {
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    std::optional<std::vector<std::string>> entry;
    int r = sd_bus_message_new_method_call(bus, &call, kStore, kStoreObject, kStore, "Lookup");
    if (r >= 0) r = sd_bus_message_append(call, "ss", "screenshot", "screenshot");
    if (r >= 0) r = sd_bus_call(bus, call, kLookupTimeout, &error, &reply);
    if (r >= 0) entry = UnsandboxedEntry(reply);
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    return ReadStoredScreenshotAnswer(entry);
}

}  // namespace platform::dbus

namespace platform::idle {

ScreenshotAnswer LookUpScreenshotAnswer() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return ScreenshotAnswer::NotAsked;
    const StoredScreenshotAnswer stored = dbus::LookUpStoredAnswer(bus);
    sd_bus_flush_close_unref(bus);
    return stored == StoredScreenshotAnswer::Yes  ? ScreenshotAnswer::Yes
           : stored == StoredScreenshotAnswer::No ? ScreenshotAnswer::No
                                                  : ScreenshotAnswer::NotAsked;
}

}  // namespace platform::idle
