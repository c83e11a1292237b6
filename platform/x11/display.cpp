// The X11 backend's display connection and its error trap.
#include "x11_display.h"

namespace platform::x11 {
namespace {

int trappedErrors = 0;

int RecordError(Display*, XErrorEvent*) {
    ++trappedErrors;
    return 0;
}

}  // namespace

Display* Connection() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

ErrorTrap::ErrorTrap(Display* display) : display_(display), savedErrors_(trappedErrors) {
    if (display_) XSync(display_, False);  // errors of earlier requests are not ours
    previous_ = XSetErrorHandler(RecordError);
}

ErrorTrap::~ErrorTrap() {
    if (display_) XSync(display_, False);
    XSetErrorHandler(previous_);
}

bool ErrorTrap::Failed() {
    if (display_) XSync(display_, False);
    return trappedErrors != savedErrors_;
}

}  // namespace platform::x11
