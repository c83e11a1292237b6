// Shared pieces of the X11 backend: the backend's own display connection and a trap that
// turns X protocol errors into a flag instead of letting Xlib's default handler end the program.
#pragma once

#include <X11/Xlib.h>

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

// The primary monitor's rectangle on the root window: XRandR's primary monitor (else its first
// one), the whole default screen without XRandR.
struct MonitorArea {
    int x = 0, y = 0, width = 0, height = 0;
};
MonitorArea PrimaryMonitor(Display* display);

}  // namespace platform::x11
