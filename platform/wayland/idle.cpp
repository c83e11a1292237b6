// The idle companion's Wayland side: the globals the compositor offers.
#include <wayland-client.h>

#include "platform/idle.h"

namespace platform::idle {
namespace {

// Every global's interface name, in the order the compositor announces them.
void OnGlobal(void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
    static_cast<std::vector<std::string>*>(data)->emplace_back(interface);
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

std::optional<std::vector<std::string>> WaylandGlobals(std::string& error) {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        error = "cannot connect to the Wayland display (is WAYLAND_DISPLAY right?)";
        return std::nullopt;
    }
    std::vector<std::string> names;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &names);
    const bool read = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!read) {
        error = "the Wayland display closed while its globals were read";
        return std::nullopt;
    }
    return names;
}

}  // namespace platform::idle
