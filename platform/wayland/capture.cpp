// The desktop capture in a Wayland session: the outputs' largest scale, and the compositor's
// routes in the order the capture's front door tries them (see wayland_capture.h).
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "platform/base.h"
#include "platform/common/capture_reads.h"
#include "platform/wayland/client.h"
#include "platform/wayland/outputs.h"
#include "platform/wayland/wayland_capture.h"
#include "platform/window_system.h"

namespace platform::wayland {

std::optional<double> DesktopScale(Client& client) {
    // The capture's own wait: a compositor that does not answer in time has no scale to give.
    const auto deadline = Clock::now() + kScreenCopyTimeout;
    Outputs outputs;
    if (!client.ReadGlobals(outputs.Globals(), deadline)) return std::nullopt;
    // Without xdg-output the outputs' logical sizes are unknown: the scale stays 1.
    if (outputs.CanPlace() && !outputs.Place(client, deadline)) return std::nullopt;
    return LargestScale(outputs.All());
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
