// One connection to the Wayland compositor, as every user in the Wayland backend speaks it (the
// capture's screen copy, the renderer's surfaces, the idle companion's sources, the session
// probe): connecting, binding the globals a user wants from a table, and round trips and
// dispatching that give up at a deadline, so that no user waits for ever on a compositor that
// has stopped answering. For the Wayland backend's use.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

struct wl_display;
struct wl_interface;

namespace platform::wayland {

using Clock = std::chrono::steady_clock;

// No deadline: for a wait that the compositor's pacing ends, never a question to it.
inline constexpr Clock::time_point kNoDeadline = Clock::time_point::max();

// A global a user wants bound: the first one the compositor names with `interface` (each one,
// with `every`), bound at the lower of `version` (the highest the user's listeners answer) and
// the compositor's own; one named at a version below `lowest` is passed by. `bound` is given
// the new proxy, the global's name and the version bound, and owns the proxy from then on.
struct WantedGlobal {
    const wl_interface* interface = nullptr;
    std::uint32_t version = 1;
    std::function<void(void* proxy, std::uint32_t name, std::uint32_t version)> bound;
    bool every = false;
    std::uint32_t lowest = 1;
};

// A `bound` for WantedGlobal that stores the proxy in `slot`, which must outlive the reading.
template <typename Proxy>
auto BindInto(Proxy*& slot) {
    return
        [&slot](void* proxy, std::uint32_t, std::uint32_t) { slot = static_cast<Proxy*>(proxy); };
}

class Client {
  public:
    Client() = default;
    // Disconnects. Every proxy the user made on the connection must be destroyed before: a proxy
    // can't be destroyed once its display is gone.
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Connects to the compositor at WAYLAND_DISPLAY; false when none answers there.
    bool Connect();
    wl_display* Display() const { return display_; }
    // True once the connection has failed (the compositor closed it or reported a fatal
    // error): no later call can succeed. A wait that failed without it ran out of time.
    bool Broken() const;

    // Reads the compositor's globals, binding those `wanted` names, and waits for the first
    // events of what was bound (a second round trip), all before `deadline`. False, with the
    // reason in `why`, when the compositor does not answer in time or the connection breaks.
    // Globals named later are not followed.
    bool ReadGlobals(std::span<const WantedGlobal> wanted, Clock::time_point deadline,
                     std::string* why = nullptr);
    // The interface names of every global ReadGlobals saw, in the order the compositor named
    // them.
    const std::vector<std::string>& Offered() const { return offered_; }

    // Waits until the compositor has handled every request sent so far and its events up to
    // then are dispatched. False when `deadline` passes first or the connection breaks; the
    // events that arrive later are dispatched by the next wait.
    bool RoundTrip(Clock::time_point deadline);
    // Dispatches the compositor's events until `done` holds. False when `deadline` passes first
    // or the connection breaks.
    bool DispatchUntil(Clock::time_point deadline, const std::function<bool()>& done);
    // Dispatches what has come, else waits for news until `deadline` and dispatches that. False
    // once the connection is gone.
    bool DispatchOnce(Clock::time_point deadline);

    // For a wait of the user's own, which polls Descriptor() among other things: BeginWait
    // before it (sends what is queued, dispatches what is already there), EndWait after it, told
    // whether the descriptor became readable (takes the news in). EndWait is false once the
    // connection is gone.
    int Descriptor() const;
    void BeginWait();
    bool EndWait(bool readable);

  private:
    wl_display* display_ = nullptr;
    std::vector<std::string> offered_;
    bool reading_ = false;  // between a BeginWait that prepared a read and its EndWait
};

}  // namespace platform::wayland
