// The X11 backend's display connection, its one X error handler with the trap, and the event
// loop lent to it.
#include <cstdio>

#include "x11_display.h"

namespace platform::x11 {
namespace {

unsigned long trappedErrors = 0;
int trapsAlive = 0;
UntrappedErrors untrapped = UntrappedErrors::PassOn;
XErrorHandler passOnTo = nullptr;
const EventLoop* lentLoop = nullptr;

int HandleError(Display* d, XErrorEvent* e) {
    if (trapsAlive > 0) {
        ++trappedErrors;
        return 0;
    }
    switch (untrapped) {
        case UntrappedErrors::Ignore:
            return 0;
        case UntrappedErrors::Report: {
            char text[128] = "";
            XGetErrorText(d, e->error_code, text, sizeof text);
            std::fprintf(stderr, "Velmora: X error %s (request %d, resource 0x%lx)\n", text,
                         e->request_code, e->resourceid);
            return 0;
        }
        case UntrappedErrors::PassOn:
            break;
    }
    return passOnTo ? passOnTo(d, e) : 0;
}

// Puts our handler in place, keeping whatever another part of the program (the toolkit, the GL
// library) installed since as the one untrapped errors are passed on to.
void InstallHandler() {
    const XErrorHandler previous = XSetErrorHandler(HandleError);
    if (previous != HandleError) passOnTo = previous;
}

}  // namespace

Display* Connection() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

void HandleUntrappedErrors(UntrappedErrors how) {
    untrapped = how;
    InstallHandler();
}

ErrorTrap::ErrorTrap(Display* display, TrapSync sync)
    : display_(display), sync_(sync), savedErrors_(0) {
    // Errors of earlier requests are not ours.
    if (display_ && sync_ == TrapSync::Synced) XSync(display_, False);
    InstallHandler();
    ++trapsAlive;
    savedErrors_ = trappedErrors;
}

ErrorTrap::~ErrorTrap() {
    if (display_ && sync_ == TrapSync::Synced) XSync(display_, False);
    --trapsAlive;
}

bool ErrorTrap::Failed() {
    if (display_ && sync_ == TrapSync::Synced) XSync(display_, False);
    return trappedErrors != savedErrors_;
}

void LendEventLoop(const EventLoop* loop) {
    lentLoop = loop;
}

const EventLoop* LentEventLoop() {
    return lentLoop;
}

}  // namespace platform::x11
