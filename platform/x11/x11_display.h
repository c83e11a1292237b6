// Shared pieces of the X11 backend: the backend's own display connection and a trap that
// turns X protocol errors into a flag instead of letting Xlib's default handler end the program.
#pragma once

#include <X11/Xlib.h>

#include <span>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace platform::x11 {

// The backend's connection to $DISPLAY, opened on first use and kept for the life of the
// process (the server undoes a pointer hide when it closes). nullptr when there is no display.
Display* Connection();

// While alive, X errors on any connection are recorded instead of being fatal. Failed() syncs
// with the server first, so errors of requests made so far are counted.
class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    bool Failed();

  private:
    Display* display_;
    XErrorHandler previous_;
    int savedErrors_;
};

// A window found by its title and the property the title was read from (_NET_WM_NAME as
// UTF8_STRING, else WM_NAME of any type). `window` 0 is none.
struct TitleProperty {
    Atom name = None;
    Atom type = None;
};
struct TitledWindow {
    Window window = 0;
    TitleProperty property;
};

// The first window of `d`, mapped or not, whose title is exactly `title`: the root's children,
// then the window manager's client list, then the tree to a depth of 8. Errors of windows that
// vanish while it looks are trapped; `window` 0 when there is none.
TitledWindow FindTitledWindow(Display* d, std::string_view title);
// The same walk for the first window whose title is any one of `titles`.
TitledWindow FindTitledWindow(Display* d, std::span<const std::string_view> titles);

// Whether `w` itself is titled exactly one of `titles` (_NET_WM_NAME, else WM_NAME). Errors are
// not trapped: the caller holds an ErrorTrap when `w` may vanish.
bool TitledOneOf(Display* d, Window w, std::span<const std::string_view> titles);

// Whether `w`'s title property still reads exactly `title`: one round trip. A window that has
// gone (the request fails) counts as no.
bool StillTitled(Display* d, const TitledWindow& w, std::string_view title);

// The monitors on the root window: RandR 1.5's active monitors with pixels, in the server's
// order (the order of its Xinerama screens) or with the primary first; else the whole default
// screen as one.
std::vector<MonitorRect> MonitorList(Display* display, bool primaryFirst = true);

// The primary monitor's rectangle on the root window: the first of MonitorList.
struct MonitorArea {
    int x = 0, y = 0, width = 0, height = 0;
};
MonitorArea PrimaryMonitor(Display* display);

}  // namespace platform::x11
