// Test support for running the real programs on X11: a private Xvfb display per test
// (-displayfd, so that parallel runs never share one), child processes with their own
// environment and time limits, and small wrappers around xdotool and screenshots. The portable
// helpers (temporary folders, reading files, waiting) come with it from test_support.h.
#pragma once

#include <sys/types.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

struct _XDisplay;  // Xlib's Display

namespace testsupport {

// An Xvfb server of its own, stopped when the object goes.
class VirtualDisplay {
  public:
    explicit VirtualDisplay(int width = 1024, int height = 768, int depth = 24,
                            const std::vector<std::string>& extraArguments = {});
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool ok() const { return !name_.empty(); }
    const std::string& name() const { return name_; }  // ":N"

  private:
    pid_t pid_ = -1;
    std::string name_;
};

// A child process. Killed (SIGKILL) and reaped when the object goes, unless it has ended.
class Child {
  public:
    Child(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    // The exit code (128 + signal for a signalled end), or nothing when still running after
    // TimeBound(`timeout`).
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    bool Running();
    void Kill();

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// A rectangle of the screen (top-left origin) in one colour, 0xRRGGBB.
struct PaintedRect {
    int x = 0, y = 0, width = 0, height = 0;
    std::uint32_t rgb = 0;
};

// The four quarters of a rectangle in `colours` (top-left, top-right, bottom-left,
// bottom-right); the left and top quarters take the smaller half of an odd side.
std::vector<PaintedRect> Quarters(int x, int y, int width, int height,
                                  const std::array<std::uint32_t, 4>& colours);

// The root window's background on `display` (what a capture of the desktop reads): white with
// `rects` painted over it in order. The connection stays open while the object lives: the X
// server resets, background and all, when its last client leaves.
class PaintedDesktop {
  public:
    PaintedDesktop(const std::string& display, const std::vector<PaintedRect>& rects);
    ~PaintedDesktop();
    PaintedDesktop(const PaintedDesktop&) = delete;
    PaintedDesktop& operator=(const PaintedDesktop&) = delete;
    bool ok() const { return display_ != nullptr; }

  private:
    _XDisplay* display_;
};

// A message bus of its own (dbus-daemon with the session bus's rules) on a socket in `folder`,
// for a test to pose as the session bus or the system bus; stopped when the object goes.
class PrivateBus {
  public:
    PrivateBus(const std::string& folder, const std::string& name);
    bool ok() const { return ok_; }
    const std::string& address() const { return address_; }  // "unix:path=..."

  private:
    std::string address_;
    std::unique_ptr<Child> daemon_;
    bool ok_ = false;
};

// A stand-in for the desktop's screen saver or lock (tests/support/fake_shield.cpp) of `kind`
// ("gnome", "freedesktop", "logind", "silent") in `env` (where its bus addresses are), reporting
// to a file in `folder`. Ready when constructed, unless ok() says otherwise.
class FakeShield {
  public:
    FakeShield(const std::string& kind, const std::string& folder,
               const std::map<std::string, std::string>& env, bool active = false);
    bool ok() const { return ok_; }
    // Turns it on or off, the other way from how it is, and waits until it has announced that.
    bool Turn(bool on);

  private:
    std::string report_;
    std::unique_ptr<Child> child_;
    int changes_ = 0;
    bool ok_ = false;
};

// Runs a shell command to its end and returns what it printed on standard output.
std::string Shell(const std::string& command, int* exitCode = nullptr);

// The first window id (decimal) on `display` whose name is exactly `title`, or 0.
std::uintptr_t FindWindow(const std::string& display, const std::string& title);

// The first visible (mapped) window on `display` named exactly `title`, or 0: a toolkit may keep
// a window of that name hidden between uses.
std::uintptr_t FindVisibleWindow(const std::string& display, const std::string& title);

// Where `window` lies on the screen of `display`: x, y, width, height; nothing when it has gone.
std::optional<std::array<int, 4>> WindowPlace(const std::string& display, std::uintptr_t window);

// Sends `window` on `display` the close request a window manager's close button sends. A window
// that has gone meanwhile is no error.
void SendCloseRequest(const std::string& display, std::uintptr_t window);

// Saves the whole screen, or one window, as a PNG (ImageMagick's import). True on success.
bool Screenshot(const std::string& display, const std::string& pngPath, std::uintptr_t window = 0);

// The ids of the running processes whose parent is `parent` (read from /proc).
std::vector<pid_t> ChildrenOf(pid_t parent);

}  // namespace testsupport
