// The desktop capture in a Wayland session: the outputs' largest scale, and the compositor's
// routes in the order the capture's front door tries them (see wayland_capture.h).
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/common/capture_reads.h"
#include "platform/wayland/client.h"
#include "platform/wayland/wayland_capture.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace platform::wayland {

namespace {

// An output's current mode and logical size, for DesktopScale.
struct ScaledOutput {
    wl_output* output = nullptr;
    zxdg_output_v1* xdg = nullptr;
    int modeWidth = 0, modeHeight = 0;
    int logicalWidth = 0, logicalHeight = 0;

    // Pixels per logical unit; the longer sides are compared, so that a turned output counts
    // the same. 0 while either is unknown.
    double Scale() const {
        const int mode = std::max(modeWidth, modeHeight);
        const int logical = std::max(logicalWidth, logicalHeight);
        return mode > 0 && logical > 0 ? static_cast<double>(mode) / logical : 0.0;
    }
};

struct ScaleQuery {
    zxdg_output_manager_v1* xdgOutputs = nullptr;
    std::vector<std::unique_ptr<ScaledOutput>> outputs;
};

void OnGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                std::int32_t, const char*, const char*, std::int32_t) {}
void OnMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
            std::int32_t) {
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    auto* o = static_cast<ScaledOutput*>(data);
    o->modeWidth = width;
    o->modeHeight = height;
}
void OnDone(void*, wl_output*) {}
void OnScale(void*, wl_output*, std::int32_t) {}
const wl_output_listener kOutputListener{OnGeometry, OnMode, OnDone, OnScale, nullptr, nullptr};

void OnLogicalPosition(void*, zxdg_output_v1*, std::int32_t, std::int32_t) {}
void OnLogicalSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
    auto* o = static_cast<ScaledOutput*>(data);
    o->logicalWidth = width;
    o->logicalHeight = height;
}
void OnXdgDone(void*, zxdg_output_v1*) {}
void OnXdgName(void*, zxdg_output_v1*, const char*) {}
void OnXdgDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kXdgListener{OnLogicalPosition, OnLogicalSize, OnXdgDone, OnXdgName,
                                           OnXdgDescription};

// The globals DesktopScale binds into `query`: every output, at version 2 at most (the listener
// answers the events up to its scale), and the xdg-output manager.
std::vector<WantedGlobal> ScaleGlobals(ScaleQuery& query) {
    const auto addOutput = [&query](void* proxy, std::uint32_t, std::uint32_t) {
        auto o = std::make_unique<ScaledOutput>();
        o->output = static_cast<wl_output*>(proxy);
        wl_output_add_listener(o->output, &kOutputListener, o.get());
        query.outputs.push_back(std::move(o));
    };
    return {{&wl_output_interface, 2, addOutput, true},
            {&zxdg_output_manager_v1_interface, 2, BindInto(query.xdgOutputs)}};
}

}  // namespace

std::optional<double> DesktopScale(Client& client) {
    // The capture's own wait: a compositor that does not answer in time has no scale to give.
    const auto deadline = Clock::now() + kScreenCopyTimeout;
    ScaleQuery query;
    bool answered = client.ReadGlobals(ScaleGlobals(query), deadline);
    if (answered && query.xdgOutputs) {
        for (auto& o : query.outputs) {
            o->xdg = zxdg_output_manager_v1_get_xdg_output(query.xdgOutputs, o->output);
            zxdg_output_v1_add_listener(o->xdg, &kXdgListener, o.get());
        }
        answered = client.RoundTrip(deadline);
    }
    double scale = 1.0;
    for (auto& o : query.outputs) {
        scale = std::max(scale, o->Scale());
        if (o->xdg) zxdg_output_v1_destroy(o->xdg);
        wl_output_destroy(o->output);
    }
    if (query.xdgOutputs) zxdg_output_manager_v1_destroy(query.xdgOutputs);
    if (!answered) return std::nullopt;
    // No picture beyond what the reader takes: a scale from a broken report stays sane.
    return std::min(scale, 8.0);
}

}  // namespace platform::wayland

namespace platform {
namespace {

// The screen copy's stand-in where the compositor did not answer the question of its scale:
// asking it again for its outputs' frames would only wait as long once more.
bool Unanswered(std::span<const MonitorRect>, RgbTarget&, double, std::string* why) {
    if (why) *why = Translate("the compositor did not answer");
    return false;
}

}  // namespace

std::optional<Compositor> SessionCompositor() {
    // As InCompositorSession asks, on the connection that asks the scale too.
    const char* name = std::getenv("WAYLAND_DISPLAY");
    wayland::Client client;
    if (!name || !*name || !client.Connect()) return std::nullopt;
    const std::optional<double> scale = wayland::DesktopScale(client);
    if (!scale) return Compositor{1.0, {&Unanswered, &wayland::CaptureWithPortal}};
    return Compositor{*scale, {&wayland::CaptureWithScreenCopy, &wayland::CaptureWithPortal}};
}

}  // namespace platform
