// The idle companion's Wayland side: the globals the compositor offers, and its idle
// notifications (ext_idle_notifier_v1, or org_kde_kwin_idle), asked to report when the seat has
// been free of input for the chosen time and when input comes back. Programs that inhibit idle
// (video players) hold the report back. Where the compositor lists its windows (wlroots'
// foreign-toplevel protocol), an active full-screen window holds runs back too.
#include <wayland-client.h>

#include <chrono>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "platform/base.h"
#include "platform/common/idle_backends.h"
#include "platform/idle.h"
#include "platform/wayland/client.h"
#include "toplevels.h"

namespace platform::idle {
namespace {

using wayland::Clock;

// How long the compositor may take to answer a question before the companion stops waiting:
// ample for a compositor under load, and one that has stopped answering holds nothing for good.
constexpr std::chrono::seconds kAnswerWait{5};
// How long the window list's refresh before a run may take; a compositor that has not answered
// by then leaves the list as it last reported it.
constexpr std::chrono::seconds kWindowListWait{1};

// Connects `client` and reads the compositor's globals, binding those `wanted`; false with
// `error` when the compositor can't be reached or does not answer.
bool Connect(wayland::Client& client, std::span<const wayland::WantedGlobal> wanted,
             std::string& error) {
    if (!client.Connect()) {
        error = platform::Translate(
            "cannot connect to the Wayland display (is WAYLAND_DISPLAY right?)");
        return false;
    }
    return client.ReadGlobals(wanted, Clock::now() + kAnswerWait, &error);
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
    explicit WaylandMonitor(std::int64_t idleMs) : idleMs_(idleMs) {}

    // The proxies go before the connection, which client_'s own end closes.
    ~WaylandMonitor() override {
        if (extNotification_) ext_idle_notification_v1_destroy(extNotification_);
        if (kdeTimeout_) org_kde_kwin_idle_timeout_release(kdeTimeout_);
        toplevels_.Release();
        if (extNotifier_) ext_idle_notifier_v1_destroy(extNotifier_);
        if (kdeIdle_) org_kde_kwin_idle_destroy(kdeIdle_);
        if (seat_) wl_seat_destroy(seat_);
    }

    // Connects and asks `source`'s notifications for the idle time; false with `error` (and
    // `lasting` false when the compositor could not be reached or did not answer) when it can't.
    bool Watch(Source source, std::string& error, bool& lasting) {
        const wayland::WantedGlobal wanted[] = {
            {&wl_seat_interface, 1, wayland::BindInto(seat_)},
            {&ext_idle_notifier_v1_interface, 1, wayland::BindInto(extNotifier_)},
            {&org_kde_kwin_idle_interface, 1, wayland::BindInto(kdeIdle_)},
            toplevels_.Wanted(),
        };
        lasting = Connect(client_, wanted, error);
        if (!lasting) return false;
        if (!seat_) {
            error = platform::Translate("the compositor offers no seat");
            return false;
        }
        const auto timeout = static_cast<std::uint32_t>(idleMs_);
        if (source == Source::kExtIdleNotify && extNotifier_) {
            extNotification_ =
                ext_idle_notifier_v1_get_idle_notification(extNotifier_, timeout, seat_);
            ext_idle_notification_v1_add_listener(extNotification_, &kExtListener, this);
        } else if (source == Source::kKdeIdle && kdeIdle_) {
            kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat_, timeout);
            org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kKdeListener, this);
        } else {
            error = platform::Translate("not offered by the compositor");
            return false;
        }
        const auto deadline = Clock::now() + kAnswerWait;
        if (!client_.RoundTrip(deadline)) {
            // A compositor that refuses closes the connection; one that is late may answer later.
            lasting = Clock::now() < deadline;
            error = lasting ? platform::Translate("the compositor refused the idle notification")
                            : platform::Translate("the compositor did not answer");
            return false;
        }
        return true;
    }

    int Descriptor() const override { return client_.Descriptor(); }
    void BeforeWait() override { client_.BeginWait(); }
    bool AfterWait(bool readable) override { return client_.EndWait(readable); }

    std::int64_t IdleMs() override {
        if (!idleSince_) return 0;
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *idleSince_)
            .count();
    }

    bool FullScreenInFront(std::span<const std::string_view> ownTitles) override {
        if (!toplevels_.Bound()) return false;
        // The windows as they are now; a failed connection is the next wait's to report.
        client_.RoundTrip(Clock::now() + kWindowListWait);
        return toplevels_.FullScreenActive(ownTitles);
    }

    // The compositor says the seat has been free of input for the timeout, which ran from then.
    void Idled() { idleSince_ = Clock::now() - std::chrono::milliseconds(idleMs_); }
    void Resumed() { idleSince_.reset(); }

  private:
    std::int64_t idleMs_;
    wayland::Client client_;
    wl_seat* seat_ = nullptr;
    ext_idle_notifier_v1* extNotifier_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    wayland::Toplevels toplevels_;
    ext_idle_notification_v1* extNotification_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
    std::optional<Clock::time_point> idleSince_;
};

void OnIdled(WaylandMonitor* self) {
    self->Idled();
}

void OnResumed(WaylandMonitor* self) {
    self->Resumed();
}

}  // namespace

bool WaylandGlobals(std::vector<std::string>& globals, std::string* why) {
    wayland::Client client;
    std::string error;
    if (!Connect(client, {}, error)) {
        if (why) *why = error;
        return false;
    }
    globals = client.Offered();
    return true;
}

Opening OpenWaylandIdle(Source source, std::int64_t idleMs, std::unique_ptr<Monitor>& monitor,
                        std::string* why) {
    auto opened = std::make_unique<WaylandMonitor>(idleMs);
    std::string error;
    bool lasting = true;
    if (!opened->Watch(source, error, lasting))
        return NotOpened(lasting ? Opening::Absent : Opening::Unanswered, error, why);
    monitor = std::move(opened);
    return Opening::Opened;
}

}  // namespace platform::idle
