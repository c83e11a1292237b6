// The desktop capture in a Wayland session: the compositor's routes in order (see
// wayland_capture.h).
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/monitor_layout.h"
#include "platform/platform.h"
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

double DesktopScale() {
    Client client;
    if (!client.Connect()) return 1.0;
    // The capture's own wait: a compositor that does not answer in time leaves the scale at 1.
    const auto deadline = Clock::now() + kScreenCopyTimeout;
    ScaleQuery query;
    double scale = 1.0;
    if (client.ReadGlobals(ScaleGlobals(query), deadline) && query.xdgOutputs) {
        for (auto& o : query.outputs) {
            o->xdg = zxdg_output_manager_v1_get_xdg_output(query.xdgOutputs, o->output);
            zxdg_output_v1_add_listener(o->xdg, &kXdgListener, o.get());
        }
        if (client.RoundTrip(deadline))
            for (const auto& o : query.outputs) scale = std::max(scale, o->Scale());
    }
    for (auto& o : query.outputs) {
        if (o->xdg) zxdg_output_v1_destroy(o->xdg);
        wl_output_destroy(o->output);
    }
    if (query.xdgOutputs) zxdg_output_manager_v1_destroy(query.xdgOutputs);
    // No picture beyond what the reader takes: a scale from a broken report stays sane.
    return std::min(scale, 8.0);
}

bool CaptureDesktop(std::span<const MonitorRect> monitors, RgbTarget& target, std::string& why,
                    double scale) {
    std::string screenCopyWhy;
    switch (CaptureWithScreenCopy(monitors, target, screenCopyWhy, scale)) {
        case RouteResult::Captured:
            return true;
        case RouteResult::Failed:
            // A compositor that offers screen copy and fails at it would not do better for the
            // portal, which asks the same compositor; but the portal may be another program
            // with other rights, so it still gets its turn.
        case RouteResult::NotOffered:
            break;
    }
    std::string portalWhy;
    if (CaptureWithPortal(monitors, target, portalWhy, scale) == RouteResult::Captured) return true;
    why = screenCopyWhy + "; " + portalWhy;
    return false;
}

bool CaptureScreen(std::uint8_t* rgb, int width, int height, int stride, std::string& why) {
    if (!rgb || width <= 0 || height <= 0 || stride < width * 3) {
        why = platform::Translate("there is no picture to capture into");
        return false;
    }
    const std::vector<MonitorRect> monitors = Monitors();
    const MonitorRect box = BoundingBox(monitors);
    const double scale = DesktopScale();
    const MonitorRect picture = ScaledRect(box, box, scale);
    RgbTarget target{rgb, std::min(width, picture.width), std::min(height, picture.height), stride};
    if (target.width <= 0 || target.height <= 0) {
        why = platform::Translate("the display names no monitor");
        return false;
    }
    return CaptureDesktop(monitors, target, why, scale);
}

}  // namespace platform::wayland
