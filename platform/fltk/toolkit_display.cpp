// The toolkit's connection to the X server: the platform layer's own, so that the host talks to
// the server over one connection instead of two. A program that takes no typed text also spares
// the toolkit's input method the locale's compose table, which it would otherwise parse at
// every start (about 9 ms on a small virtual machine).
#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/fltk/toolkit.h"
#include "platform/message_box.h"
#include "platform/x11/x11_display.h"

namespace platform {
namespace {

// The status a lost connection ends the program with (SetLostDisplayStatus).
int lostDisplayStatus = 1;

// A lost connection ends the program, as with the toolkit's own handler.
[[noreturn]] int EndOnLostConnection(Display*) {
    std::fprintf(stderr, "Velmora: X I/O error\n");
    std::exit(lostDisplayStatus);
}

// Sets an environment variable while it lives and then puts back what was there before, so that
// programs started later inherit the user's own environment.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        setenv(name, value, 1);
    }
    ~ScopedVariable() {
        if (saved_)
            setenv(name_, saved_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> saved_;
};

// The toolkit's loop as the X11 backend sees it.
const x11::EventLoop kToolkitLoop{
    [](x11::EventFilter filter, void* data) { Fl::add_system_handler(filter, data); },
    [](x11::EventFilter filter) { Fl::remove_system_handler(filter); },
    [](void (*work)(void*), void* data) { Fl::add_timeout(0.0, work, data); },
    [](Window w) { return fl_find(w) != nullptr; },
};

void OpenShared(Display* d, bool typedText) {
    // An error nobody traps is reported and outlived, as the toolkit's own handler does.
    x11::HandleUntrappedErrors(x11::UntrappedErrors::Report);
    XSetIOErrorHandler(EndOnLostConnection);
    XSetLocaleModifiers("");
    // Without typed text, an empty compose table: keys still type what they say, only compose
    // sequences are gone.
    std::optional<ScopedVariable> noCompose;
    if (!typedText) noCompose.emplace("XCOMPOSEFILE", "/dev/null");
    fl_open_display(d);
    x11::LendEventLoop(&kToolkitLoop);
}

}  // namespace

void SetLostDisplayStatus(int status) {
    lostDisplayStatus = status;
}

void OpenToolkitDisplay(bool typedText) {
    KeepToolkitPreferencesUntouched();
    if (fl_display) return;
    if (Display* d = x11::Connection())
        OpenShared(d, typedText);
    else
        fl_open_display();  // no server: the toolkit says so and ends the program
}

}  // namespace platform
