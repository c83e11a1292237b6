// The capture of the desktop in a Wayland session, where XWayland's root window has no
// contents: the picture comes from the compositor instead, through the wlroots screen-copy
// protocol where the compositor offers it, else through the desktop portal's Screenshot call.
// These are the routes of SessionCompositor (common/capture_reads.h), which the capture's front
// door takes where a compositor answers at WAYLAND_DISPLAY; the monitors are XWayland's (the
// outputs in the compositor's logical layout), the picture holds them at the largest output
// scale.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "platform/base.h"
#include "platform/wayland/desktop_picture.h"

namespace platform::wayland {

class Client;  // client.h

// How long screen copy may take before the capture gives up on it. The portal's wait depends on
// the desktop's stored answer (PortalAnswerWait of portal_request.h).
inline constexpr std::chrono::seconds kScreenCopyTimeout{5};

// For tests only: the environment variable that, set to a number of milliseconds, makes each
// second of the portal's wait last that long instead (its words still name whole seconds).
inline constexpr const char* kPortalSecondVariable = "VELMORA_TEST_PORTAL_SECOND_MS";

// Asks the compositor at `client` (connected) for the largest number of pixels per logical unit
// among its outputs (an output's current mode over its logical size, xdg-output): 2 for an
// output at scale 2, 1.5 at 150 %; 1 when the compositor does not say, or no output is drawn at
// more than its logical size. Nothing when the compositor does not answer within
// kScreenCopyTimeout or the connection breaks.
std::optional<double> DesktopScale(Client& client);

// Copies every output through zwlr_screencopy_manager_v1 into `target`, whose (0, 0) is the
// top-left of the bounding box of `monitors` and which holds that box at `scale` pixels per
// logical unit: each output at its logical place (xdg-output) times the scale, so that at the
// largest output scale (DesktopScale) an output at that scale comes out 1:1 and one at a smaller
// scale enlarged; at 1 every output comes out at its logical size. Parts no output covers are
// black. A CompositorRoute: false, with the reason in `why` when given, without the protocol (or
// without xdg-output or shared memory), or when the compositor refuses a frame or does not
// answer within kScreenCopyTimeout.
bool CaptureWithScreenCopy(std::span<const MonitorRect> monitors, RgbTarget& target, double scale,
                           std::string* why = nullptr);

// Asks the desktop portal (org.freedesktop.portal.Screenshot, not interactive) on the session
// bus for a picture of the desktop, takes the PNG it names (TakePortalFile) and crops it to the
// monitors (CropDesktop). On KDE Plasma the pictures folder, where its portal saves the picture,
// is looked for first: when it is missing the portal is not called (nor the folder made). The
// permission store's answer for screenshots is looked up next: with "no" stored the portal is
// not called (the answer is never changed here); otherwise the wait is PortalAnswerWait's, after
// which the request is closed, so that an answer given to a question the desktop may still show
// is not taken for a later call. The monitors are laid out at `scale` as
// CaptureWithScreenCopy lays them. A CompositorRoute: false, with the reason in `why` when given,
// without a session bus or portal, or when screenshots are not allowed, or the portal refuses,
// fails, names an unusable file or does not answer in time.
bool CaptureWithPortal(std::span<const MonitorRect> monitors, RgbTarget& target, double scale,
                       std::string* why = nullptr);

// The largest file TakePortalFile takes from the portal.
inline constexpr std::size_t kLargestPortalFile = std::size_t{1} << 28;

// Takes the file the portal wrote at `path`, a place other programs can write too: opened
// without following a link, accepted only as a regular file of the running user of at most
// `limit` bytes, read once into `bytes`, then removed (unless something else has taken its
// place meanwhile). False, with the reason in `why` when given, for anything else; a refused
// file is left where it is.
bool TakePortalFile(const std::string& path, std::size_t limit, std::string& bytes,
                    std::string* why = nullptr);

}  // namespace platform::wayland
