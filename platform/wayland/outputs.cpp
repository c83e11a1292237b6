// The compositor's outputs, read once for each user (see outputs.h).
#include "platform/wayland/outputs.h"

#include <wayland-client.h>

#include <algorithm>

#include "xdg-output-unstable-v1-client-protocol.h"

namespace platform::wayland {
namespace {

void OnGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                std::int32_t, const char*, const char*, std::int32_t) {}
void OnMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
            std::int32_t) {
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    auto* o = static_cast<Output*>(data);
    o->modeWidth = width;
    o->modeHeight = height;
}
void OnDone(void*, wl_output*) {}
void OnScale(void* data, wl_output*, std::int32_t factor) {
    static_cast<Output*>(data)->scale = std::max(factor, 1);
}
void OnName(void*, wl_output*, const char*) {}
void OnDescription(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener{OnGeometry, OnMode, OnDone,
                                         OnScale,    OnName, OnDescription};

void OnLogicalPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
    auto* o = static_cast<Output*>(data);
    o->place.x = x;
    o->place.y = y;
}
void OnLogicalSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
    auto* o = static_cast<Output*>(data);
    o->place.width = width;
    o->place.height = height;
    o->placed = width > 0 && height > 0;
}
void OnXdgDone(void*, zxdg_output_v1*) {}
void OnXdgName(void* data, zxdg_output_v1*, const char* name) {
    static_cast<Output*>(data)->name = name ? name : "";
}
void OnXdgDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kXdgListener{OnLogicalPosition, OnLogicalSize, OnXdgDone, OnXdgName,
                                           OnXdgDescription};

void Destroy(Output& o) {
    if (o.xdg) zxdg_output_v1_destroy(o.xdg);
    if (o.proxy) wl_output_destroy(o.proxy);
}

}  // namespace

double LargestScale(std::span<const std::unique_ptr<Output>> outputs) {
    double largest = 1.0;
    for (const auto& o : outputs) {
        const int mode = std::max(o->modeWidth, o->modeHeight);
        const int logical = std::max(o->place.width, o->place.height);
        if (mode > 0 && logical > 0)
            largest = std::max(largest, static_cast<double>(mode) / logical);
    }
    return std::min(largest, 8.0);
}

Outputs::~Outputs() {
    for (auto& o : outputs_) Destroy(*o);
    if (manager_) zxdg_output_manager_v1_destroy(manager_);
}

std::vector<WantedGlobal> Outputs::Globals(std::uint32_t lowest) {
    const auto add = [this](void* proxy, std::uint32_t global, std::uint32_t) {
        auto o = std::make_unique<Output>();
        o->proxy = static_cast<wl_output*>(proxy);
        o->global = global;
        wl_output_add_listener(o->proxy, &kOutputListener, o.get());
        outputs_.push_back(std::move(o));
    };
    return {{&wl_output_interface, 2, add, true, lowest},
            {&zxdg_output_manager_v1_interface, 2, BindInto(manager_)}};
}

bool Outputs::Place(Client& client, Clock::time_point deadline) {
    if (!manager_) return false;
    for (auto& o : outputs_) {
        if (o->xdg) continue;
        o->xdg = zxdg_output_manager_v1_get_xdg_output(manager_, o->proxy);
        zxdg_output_v1_add_listener(o->xdg, &kXdgListener, o.get());
    }
    return client.RoundTrip(deadline);
}

void Outputs::DropUnplaced() {
    std::erase_if(outputs_, [](const std::unique_ptr<Output>& o) {
        if (o->placed) return false;
        Destroy(*o);
        return true;
    });
}

}  // namespace platform::wayland
