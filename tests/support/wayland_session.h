// Test support for running the real programs in a Wayland session: a headless sway of its own
// per test (tests/support/wayland-session.sh starts and ends it), with XWayland, a session bus,
// PipeWire and the desktop portals, all as an unprivileged user because sway refuses root.
// Programs that talk to the portal run as that user too (the portal will not answer root's
// calls on another user's bus); root's tests reach XWayland and the Wayland socket directly.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace testsupport {

struct WaylandSessionOptions {
    int width = 1280;
    int height = 720;
    int scale = 1;                      // the output's scale
    std::string background = "2060a0";  // RRGGBB, sway's solid colour behind every window
    bool portal = true;      // start xdg-desktop-portal and its wlroots and GTK back ends
    bool screencopy = true;  // false: clients do not see the screen-copy protocol
};

// A headless sway session, ended (`swaymsg exit`, then its helpers) when the object goes.
class WaylandSession {
  public:
    explicit WaylandSession(const WaylandSessionOptions& options = {});
    ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    // False when the session did not start; Failure() says why (the script's words).
    bool ok() const { return ok_; }
    const std::string& Failure() const { return failure_; }

    // The session's environment: WAYLAND_DISPLAY (an absolute path), DISPLAY (XWayland),
    // DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR, SWAYSOCK, HOME (the user's, writable by it) and
    // XDG_CURRENT_DESKTOP, for testsupport::Child. `extra` is added on top.
    std::map<std::string, std::string> Environment(
        const std::map<std::string, std::string>& extra = {}) const;
    std::string Get(const std::string& name) const;

    // `argv` run as the session's user (prefixed with setpriv); use with Environment().
    std::vector<std::string> AsUser(const std::vector<std::string>& argv) const;
    uid_t UserId() const { return uid_; }

    // A folder of the session that the session's user owns (created on first use, 0700).
    std::string UserFolder(const std::string& name) const;

    // Types keys through the compositor with wtype, e.g. {"-k", "Escape"}; waits for wtype to
    // finish. wtype's first key is sent after a 300 ms pause: a key sent at once can be lost.
    bool Type(const std::vector<std::string>& wtypeArguments) const;

    // Runs a shell command in the session's environment as the session's user and returns its
    // standard output.
    std::string UserShell(const std::string& command, int* exitCode = nullptr) const;

  private:
    std::string dir_;
    std::map<std::string, std::string> env_;
    uid_t uid_ = 65534;
    bool ok_ = false;
    std::string failure_;
};

}  // namespace testsupport
