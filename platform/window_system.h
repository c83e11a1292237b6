// The window system's services (library velmora_platform, which links velmora_platform_base):
// windows and the watch on them, the session's kind, the desktop's shield, the pointer, the
// screen and its monitors, embedding the preview, the desktop's capture and the zoom animation.
// platform/x11 (with platform/wayland and platform/dbus in a Wayland session) on Linux,
// platform/win32 on Windows. Failures reach the caller as base.h says.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base.h"

namespace platform {

// ---- Windows (x11/window_watch.cpp, its search in x11/windows.cpp) ------------------------------

// True when any window of the display, mapped or not, carries exactly one of `titles`: one look
// at the windows for all of them.
bool WindowWithAnyTitleExists(std::initializer_list<std::string_view> titles);

// True when any window carries exactly `title`, for a watch that asks it every tick of the forms'
// event loop (the host's watch on the renderer): the window found last is followed by what the
// window system tells the loop about it, so a tick in which nothing happened to it asks the window
// system nothing. A change is seen once the loop has read its news: the answer may lag by a tick or
// two. On Windows the question itself is cheap and is asked each time.
bool WatchedWindowWithTitleExists(std::string_view title);

// True when a compositor draws the desktop itself and the window system's own calls see it in
// part only: a Wayland session (WAYLAND_DISPLAY is set and a compositor answers there), whose
// XWayland server has a root window without contents, none of the compositor's own windows and
// none of the input that goes to them. False in an X session and on Windows. Asks the session
// each time. (wayland/session.cpp, win32/session.cpp)
bool InCompositorSession();

// True where the window search above can miss a program's full-screen surfaces: in a Wayland
// session, where the renderer may draw on surfaces of its own over the outputs
// (OpenOutputSurfaces), which the X11 window list never holds. A watch on such a program follows
// its process instead. Asks the session once; false on Windows.
bool WindowSearchMissesSurfaces();

// ---- The desktop's shield (x11/desktop_shield.cpp with dbus/bus_shields.cpp; win32/
//      desktop_shield.cpp; the names in common/desktop_shield.cpp) ----------------------------

// A watch on every shield the session has, for as long as it lives. Opening asks each source
// once, all together, within a short deadline (under a second); a source that is absent or does
// not answer in time counts as off, and nothing waits longer. From then on it listens for the
// sources' own news (their signals, the X server's events). Windows has none: it runs
// screensavers itself and the watch always answers Off there.
class DesktopShieldWatch {
  public:
    DesktopShieldWatch();
    ~DesktopShieldWatch();
    DesktopShieldWatch(const DesktopShieldWatch&) = delete;
    DesktopShieldWatch& operator=(const DesktopShieldWatch&) = delete;

    // The first shield that is on, from the answers and news taken in so far and what has
    // arrived since; never waits for any. Cheap enough to ask every 100 ms.
    DesktopShield Active();

  private:
    struct Sources;
    std::unique_ptr<Sources> sources_;
};

// ---- Pointer (x11/cursor.cpp) -------------------------------------------------------------------

// The display counter of the pointer: each call adds one (show) or takes one away (hide) and
// returns the new value; the pointer is hidden while the counter is below zero.
std::int32_t ShowCursor(bool show);

// ---- Pointer position (x11/pointer.cpp) ---------------------------------------------------------

// Where the pointer is and the innermost window under it (the window id, 0 for the root), with
// the pointer's position relative to that window. found is false without a display, when the
// pointer is on another screen, or when a window vanished while it was looked up.
struct PointerHit {
    bool found = false;
    int rootX = 0, rootY = 0;
    NativeWindow window = 0;
    int windowX = 0, windowY = 0;
};
PointerHit WindowUnderPointer();

// ---- Screen (x11/screen.cpp) --------------------------------------------------------------------

// The primary monitor's size in pixels.
ScreenSize PrimaryScreenSize();

// Every monitor in the window system's desktop coordinates (X11 root window / Windows virtual
// screen), the primary first; never empty (falls back to the whole screen). Monitors without
// pixels are left out. The geometry built on it is in platform/monitor_layout.h.
std::vector<MonitorRect> Monitors();

// 1440 / the screen's dots per inch (Xft.dpi, else 96).
double TwipsPerPixel();

// ---- Preview embedding (x11/embed.cpp) ----------------------------------------------------------

// A window's rectangle on the screen in pixels; right and bottom lie just outside it.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The screen rectangle of the window `id`; nothing when there is no such window. A zero or bad
// id is answered quietly, without an X error message.
std::optional<WindowRect> WindowScreenRect(NativeWindow id);

// Makes the shown form window `child` a child of the foreign window `parent`, placed at (x, y)
// (child style and new parent in one), and runs `gone` from the forms' event loop once either
// window is destroyed. From here on the window system's errors about windows that are gone are
// not reported: requests may race with the parent's end. False when the embedding failed (bad
// parent or child, no forms shown yet); `gone` is then never run.
bool EmbedWindow(NativeWindow child, NativeWindow parent, int x, int y, std::function<void()> gone);

// ---- Desktop capture (common/capture.cpp; the reads in x11/, win32/ and wayland/capture.cpp) --

struct Compositor;  // a compositor that hands out the desktop's picture (common/capture_reads.h)

// How the desktop is captured, asked of the session once (PlanCapture) and handed on, so that
// the bitmap is sized and filled by the same answers.
struct CapturePlan {
    std::vector<MonitorRect> monitors;  // as Monitors() gave them
    // The bitmap CaptureScreen fills with every pixel the monitors show: their bounding box,
    // times the largest scale among the outputs where the compositor draws them at more pixels
    // than their logical size (a Wayland session at scale 2 gives twice the box on each side;
    // outputs at a smaller scale are enlarged into it). The box itself on X11 and Windows, where
    // the monitors are already in pixels.
    ScreenSize picture;
    // Where the session's compositor hands out the picture (a Wayland session): its routes and
    // scale. Null where the window system reads the monitors.
    std::shared_ptr<const Compositor> compositor;
};

// The plan for capturing `monitors` (as Monitors() gives them): in a Wayland session the
// compositor is asked for its outputs' scale once, within a few seconds; one that does not
// answer in time leaves the scale at 1 and only the desktop portal to try.
CapturePlan PlanCapture(std::span<const MonitorRect> monitors);

// Copies the bounding box of the plan's monitors into `rgb` (rows top to bottom, 3 bytes a
// pixel, `stride` bytes a row), the box's top-left at the bitmap's (0, 0), at the size of
// `plan.picture`: 1:1 on X11 and Windows; in a Wayland session, where the compositor hands out
// the picture (its screen copy, else the desktop portal, each within a few seconds), at the
// plan's scale. Parts of the box that no monitor shows are black. Only the top-left `width` x
// `height` pixels of the picture are written; the part of the bitmap beyond it is left as it
// was. False when there is no bitmap to fill (no pixels, a stride shorter than a row), no
// monitor, or nothing could be read; then `why`, when given, says why in words for the user
// ("the desktop portal refused the screenshot"; in a Wayland session the reasons of every route
// tried, joined by "; ").
bool CaptureScreen(const CapturePlan& plan, std::uint8_t* rgb, int width, int height, int stride,
                   std::string* why = nullptr);

// ---- Zoom animation (x11/zoom.cpp) --------------------------------------------------------------

// A short outline animation on the screen from one rectangle to another (screen pixels); it
// leaves the screen as it found it and takes at most 250 ms.
void AnimateZoom(const WindowRect& from, const WindowRect& to);

}  // namespace platform
