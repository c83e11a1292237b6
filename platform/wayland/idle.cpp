// The idle companion's Wayland side: the globals the compositor offers, and its idle
// notifications (ext_idle_notifier_v1, or org_kde_kwin_idle), asked to report when the seat has
// been free of input for the chosen time and when input comes back. Programs that inhibit idle
// (video players) hold the report back. Where the compositor lists its windows (wlroots'
// foreign-toplevel protocol), an active full-screen window holds runs back too.
#include <wayland-client.h>

#include <chrono>
#include <cstring>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "platform/idle.h"
#include "platform/idle_backends.h"
#include "platform/platform.h"
#include "toplevels.h"

namespace platform::idle {
namespace {

using Clock = std::chrono::steady_clock;

// The globals a monitor binds, and every name offered.
struct Registry {
    std::vector<std::string> names;
    bool bind = false;  // false: only the names are collected
    wl_seat* seat = nullptr;
    ext_idle_notifier_v1* extNotifier = nullptr;
    org_kde_kwin_idle* kdeIdle = nullptr;
    wayland::Toplevels toplevels;

    // Destroys what was bound. Must come before the display is disconnected, which leaves its
    // proxies pointing at freed memory.
    void Release() {
        toplevels.Release();
        if (extNotifier) ext_idle_notifier_v1_destroy(extNotifier);
        if (kdeIdle) org_kde_kwin_idle_destroy(kdeIdle);
        if (seat) wl_seat_destroy(seat);
        extNotifier = nullptr;
        kdeIdle = nullptr;
        seat = nullptr;
    }
};

bool Is(const char* interface, const wl_interface& known) {
    return std::strcmp(interface, known.name) == 0;
}

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    auto* r = static_cast<Registry*>(data);
    r->names.emplace_back(interface);
    if (!r->bind) return;
    if (!r->seat && Is(interface, wl_seat_interface))
        r->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!r->extNotifier && Is(interface, ext_idle_notifier_v1_interface))
        r->extNotifier = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    else if (!r->kdeIdle && Is(interface, org_kde_kwin_idle_interface))
        r->kdeIdle = static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    else if (std::strcmp(interface, wayland::Toplevels::InterfaceName()) == 0)
        r->toplevels.Bind(registry, name, version);
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

// Connects and reads the compositor's globals into `r`; nullptr with `error` on failure.
wl_display* Connect(Registry& r, std::string& error) {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        error = platform::Translate(
            "cannot connect to the Wayland display (is WAYLAND_DISPLAY right?)");
        return nullptr;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &r);
    // The second round trip brings the first state of what the first one bound.
    const bool read = wl_display_roundtrip(display) >= 0 && wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    if (!read) {
        error = platform::Translate("the Wayland display closed while its globals were read");
        r.Release();
        wl_display_disconnect(display);
        return nullptr;
    }
    return display;
}

class WaylandMonitor;
void OnIdled(WaylandMonitor* self);
void OnResumed(WaylandMonitor* self);

const ext_idle_notification_v1_listener kExtListener = {
    [](void* self, ext_idle_notification_v1*) { OnIdled(static_cast<WaylandMonitor*>(self)); },
    [](void* self, ext_idle_notification_v1*) { OnResumed(static_cast<WaylandMonitor*>(self)); }};
const org_kde_kwin_idle_timeout_listener kKdeListener = {
    [](void* self, org_kde_kwin_idle_timeout*) { OnIdled(static_cast<WaylandMonitor*>(self)); },
    [](void* self, org_kde_kwin_idle_timeout*) { OnResumed(static_cast<WaylandMonitor*>(self)); }};

// Idle as the compositor reports it: idle from an "idled" event until the next "resumed".
class WaylandMonitor final : public Monitor {
  public:
    explicit WaylandMonitor(std::int64_t idleMs) : idleMs_(idleMs) { registry_.bind = true; }

    ~WaylandMonitor() override {
        if (!display_) return;
        if (extNotification_) ext_idle_notification_v1_destroy(extNotification_);
        if (kdeTimeout_) org_kde_kwin_idle_timeout_release(kdeTimeout_);
        registry_.Release();
        wl_display_disconnect(display_);
    }

    // Connects and asks `source`'s notifications for the idle time; false with `error` (and
    // `lasting` false when the compositor did not answer) when it can't.
    bool Watch(Source source, std::string& error, bool& lasting) {
        display_ = Connect(registry_, error);
        lasting = display_ != nullptr;
        if (!display_) return false;
        if (!registry_.seat) {
            error = platform::Translate("the compositor offers no seat");
            return false;
        }
        const auto timeout = static_cast<std::uint32_t>(idleMs_);
        if (source == Source::kExtIdleNotify && registry_.extNotifier) {
            extNotification_ = ext_idle_notifier_v1_get_idle_notification(registry_.extNotifier,
                                                                          timeout, registry_.seat);
            ext_idle_notification_v1_add_listener(extNotification_, &kExtListener, this);
        } else if (source == Source::kKdeIdle && registry_.kdeIdle) {
            kdeTimeout_ =
                org_kde_kwin_idle_get_idle_timeout(registry_.kdeIdle, registry_.seat, timeout);
            org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kKdeListener, this);
        } else {
            error = platform::Translate("not offered by the compositor");
            return false;
        }
        if (wl_display_roundtrip(display_) < 0) {
            error = platform::Translate("the compositor refused the idle notification");
            return false;
        }
        return true;
    }

    int Descriptor() const override { return wl_display_get_fd(display_); }

    void BeforeWait() override {
        // A connection that has failed (a round trip of FullScreenInFront may be the one that
        // saw it) keeps its queued events, which no dispatch takes any more: AfterWait's dispatch
        // then reports the failure.
        while (wl_display_prepare_read(display_) != 0)
            if (wl_display_dispatch_pending(display_) < 0) return;
        wl_display_flush(display_);
        reading_ = true;
    }

    bool AfterWait(bool readable) override {
        if (reading_) {
            reading_ = false;
            if (!readable)
                wl_display_cancel_read(display_);
            else if (wl_display_read_events(display_) < 0)
                return false;
        }
        return wl_display_dispatch_pending(display_) >= 0;
    }

    std::int64_t IdleMs() override {
        if (!idleSince_) return 0;
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *idleSince_)
            .count();
    }

    bool FullScreenInFront(std::span<const std::string_view> ownTitles) override {
        if (!registry_.toplevels.Bound()) return false;
        wl_display_roundtrip(display_);  // the windows as they are now
        return registry_.toplevels.FullScreenActive(ownTitles);
    }

    // The compositor says the seat has been free of input for the timeout, which ran from then.
    void Idled() { idleSince_ = Clock::now() - std::chrono::milliseconds(idleMs_); }
    void Resumed() { idleSince_.reset(); }

  private:
    std::int64_t idleMs_;
    wl_display* display_ = nullptr;
    Registry registry_;
    ext_idle_notification_v1* extNotification_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
    std::optional<Clock::time_point> idleSince_;
    bool reading_ = false;
};

void OnIdled(WaylandMonitor* self) {
    self->Idled();
}

void OnResumed(WaylandMonitor* self) {
    self->Resumed();
}

}  // namespace

bool WaylandGlobals(std::vector<std::string>& globals, std::string* why) {
    Registry registry;
    std::string error;
    wl_display* display = Connect(registry, error);
    if (!display) {
        if (why) *why = error;
        return false;
    }
    wl_display_disconnect(display);
    globals = std::move(registry.names);
    return true;
}

Opened OpenWaylandIdle(Source source, std::int64_t idleMs) {
    auto monitor = std::make_unique<WaylandMonitor>(idleMs);
    std::string error;
    bool lasting = true;
    if (!monitor->Watch(source, error, lasting)) return {nullptr, error, lasting};
    return {std::move(monitor), {}, true};
}

}  // namespace platform::idle
