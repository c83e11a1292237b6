// One connection to the Wayland compositor (see client.h).
#include "platform/wayland/client.h"

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/base.h"

namespace platform::wayland {
namespace {

// The registry's listener while ReadGlobals runs.
struct GlobalsRead {
    std::span<const WantedGlobal> wanted;
    std::vector<bool> taken;  // per wanted global: one was bound (for those not `every`)
    std::vector<std::string>* offered;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    auto& read = *static_cast<GlobalsRead*>(data);
    read.offered->emplace_back(interface);
    for (std::size_t i = 0; i < read.wanted.size(); ++i) {
        const WantedGlobal& w = read.wanted[i];
        if (std::strcmp(interface, w.interface->name) != 0 || version < w.lowest) continue;
        if (read.taken[i] && !w.every) continue;
        read.taken[i] = true;
        const std::uint32_t bound = std::min(version, w.version);
        w.bound(wl_registry_bind(registry, name, w.interface, bound), name, bound);
        return;
    }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnSyncDone(void* data, wl_callback*, std::uint32_t) {
    *static_cast<bool*>(data) = true;
}

const wl_callback_listener kSyncListener = {OnSyncDone};

// Milliseconds to poll until `deadline`, rounded up so that a wait never ends just short of it
// and turns into a spin; -1 without a deadline.
int PollTimeout(Clock::time_point deadline) {
    if (deadline == kNoDeadline) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 1 << 30));
}

}  // namespace

Client::~Client() {
    if (reading_) wl_display_cancel_read(display_);
    if (display_) wl_display_disconnect(display_);
}

bool Client::Connect() {
    if (!display_) display_ = wl_display_connect(nullptr);
    return display_ != nullptr;
}

bool Client::ReadGlobals(std::span<const WantedGlobal> wanted, Clock::time_point deadline,
                         std::string* why) {
    GlobalsRead read{wanted, std::vector<bool>(wanted.size()), &offered_};
    wl_registry* registry = wl_display_get_registry(display_);
    wl_registry_add_listener(registry, &kRegistryListener, &read);
    const bool named = RoundTrip(deadline);
    // The registry goes before `read` does: no global named later reaches the listener.
    wl_registry_destroy(registry);
    if (named && RoundTrip(deadline)) return true;
    if (why)
        *why = Broken()
                   ? platform::Translate("the Wayland display closed while its globals were read")
                   : platform::Translate("the compositor did not answer");
    return false;
}

bool Client::Broken() const {
    return !display_ || wl_display_get_error(display_) != 0;
}

bool Client::RoundTrip(Clock::time_point deadline) {
    bool done = false;
    wl_callback* callback = wl_display_sync(display_);
    wl_callback_add_listener(callback, &kSyncListener, &done);
    const bool answered = DispatchUntil(deadline, [&] { return done; });
    // A late answer, should it still come, finds no listener: the proxy is gone.
    wl_callback_destroy(callback);
    return answered;
}

bool Client::DispatchUntil(Clock::time_point deadline, const std::function<bool()>& done) {
    while (!done()) {
        if (Clock::now() >= deadline || !DispatchOnce(deadline)) return false;
    }
    return true;
}

bool Client::DispatchOnce(Clock::time_point deadline) {
    int dispatched = 0;
    while (wl_display_prepare_read(display_) != 0) {
        const int n = wl_display_dispatch_pending(display_);
        if (n < 0) return false;
        dispatched += n;
    }
    // News was there already: the caller looks at it before anything waits.
    if (dispatched > 0) {
        wl_display_cancel_read(display_);
        return true;
    }
    reading_ = true;
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
        EndWait(false);
        return false;
    }
    pollfd fd{Descriptor(), POLLIN, 0};
    const int ready = poll(&fd, 1, PollTimeout(deadline));
    if (ready < 0 && errno != EINTR) {
        EndWait(false);
        return false;
    }
    return EndWait(ready > 0);
}

int Client::Descriptor() const {
    return wl_display_get_fd(display_);
}

void Client::BeginWait() {
    // A connection that has failed keeps its queued events, which no dispatch takes any more:
    // EndWait's dispatch then reports the failure.
    while (wl_display_prepare_read(display_) != 0)
        if (wl_display_dispatch_pending(display_) < 0) return;
    wl_display_flush(display_);
    reading_ = true;
}

bool Client::EndWait(bool readable) {
    if (reading_) {
        reading_ = false;
        if (!readable)
            wl_display_cancel_read(display_);
        else if (wl_display_read_events(display_) < 0)
            return false;
    }
    return wl_display_dispatch_pending(display_) >= 0;
}

}  // namespace platform::wayland
