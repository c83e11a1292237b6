// Shared pieces of the X11 backend: the backend's own display connection, the one handler of X
// protocol errors with its trap that turns them into a flag, and the event loop that a toolkit
// running the connection lends the backend.
#pragma once

#include <X11/Xlib.h>

#include <span>
#include <string_view>
#include <vector>

#include "platform/base.h"

namespace platform::x11 {

// The backend's connection to $DISPLAY, opened on first use and kept for the life of the
// process (the server undoes a pointer hide when it closes). nullptr when there is no display.
Display* Connection();

// Every X error of the process goes through one handler of this backend. An error that comes
// while a trap is alive is the trap's; any other is handled as chosen here: passed on to the
// handler that was there before ours (Xlib's own ends the program), reported on standard error
// and outlived, or ignored.
enum class UntrappedErrors { PassOn, Report, Ignore };
void HandleUntrappedErrors(UntrappedErrors how);

// Whether the trap's constructor and Failed() sync with the server: Synced makes the trap see
// exactly the errors of requests made while it lives; Replied is for requests that each wait
// for their reply (errors are in by then), and spares the round trips.
enum class TrapSync { Synced, Replied };

// While alive, X errors on any connection are recorded instead of being fatal or reported. Traps
// may nest: an error counts for every trap alive.
class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display, TrapSync sync = TrapSync::Synced);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    // Whether any error came since the trap was set.
    bool Failed();

  private:
    Display* display_;
    TrapSync sync_;
    unsigned long savedErrors_;
};

// The event loop that reads the backend's connection, as a toolkit that runs it lends it
// (nothing reads events for the backend otherwise). Filters see each event before the loop
// dispatches it and return nonzero for an event the loop should not see; a filter is removed by
// its function.
using EventFilter = int (*)(void* event, void* data);
struct EventLoop {
    void (*addFilter)(EventFilter filter, void* data);
    void (*removeFilter)(EventFilter filter);
    // Runs `work` from the loop soon, outside the dispatch of the current event.
    void (*runSoon)(void (*work)(void* data), void* data);
    // Whether `w` is one of the loop's own windows.
    bool (*ownsWindow)(Window w);
};
// Lends `loop` (which must outlive its use; nullptr takes it back); the loop must read events
// of Connection().
void LendEventLoop(const EventLoop* loop);
// The loop lent last, or nullptr.
const EventLoop* LentEventLoop();

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

// The items of `w`'s property `property` when it holds 32-bit items of type `type` (windows,
// atoms, cardinals), at most `maxItems` of them. Empty when the property is absent or of another
// type or format. Errors are not trapped: the caller holds an ErrorTrap when `w` may vanish.
std::vector<unsigned long> ReadListProperty(Display* d, Window w, Atom property, Atom type,
                                            long maxItems);

// The parent of `w` in the window tree (the root window for a top-level one); 0 when `w` does
// not exist. Errors are not trapped, as above.
Window ParentOf(Display* d, Window w);

// The monitors on the root window: RandR 1.5's active monitors with pixels, in the server's
// order (the order of its Xinerama screens) or with the primary first; else the whole default
// screen as one.
std::vector<MonitorRect> MonitorList(Display* display, bool primaryFirst = true);

}  // namespace platform::x11
