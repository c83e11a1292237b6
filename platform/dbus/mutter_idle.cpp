// The idle companion's GNOME source: Mutter's IdleMonitor on the session bus (sd-bus), with one
// watch that fires once the session has been free of input for the chosen time and, each time it
// has, a one-shot watch that fires at the next input. Mutter holds the first back while a program
// inhibits idle.
#include <systemd/sd-bus.h>

#include <chrono>
#include <cstring>

#include "platform/base.h"
#include "platform/common/idle_backends.h"
#include "platform/dbus/bus_error.h"
#include "platform/idle.h"

namespace platform::idle {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kService = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kInterface = "org.gnome.Mutter.IdleMonitor";

class MutterMonitor final : public Monitor {
  public:
    MutterMonitor(sd_bus* bus, std::int64_t idleMs) : bus_(bus), idleMs_(idleMs) {}
    ~MutterMonitor() override {
        sd_bus_slot_unref(fired_);
        sd_bus_slot_unref(ownerChanged_);
        sd_bus_flush_close_unref(bus_);
    }

    // Subscribes and adds the idle watch; false with `error` when the monitor is not there.
    bool Watch(std::string& error) {
        if (!HasOwner()) {
            error = platform::Translate("not on the session bus");
            return false;
        }
        // Any sender: the signal comes from the monitor's unique name, which a local match on
        // the well-known one would not recognise.
        int r = sd_bus_match_signal(bus_, &fired_, nullptr, kPath, kInterface, "WatchFired",
                                    OnFired, this);
        if (r >= 0)
            r = sd_bus_match_signal(bus_, &ownerChanged_, "org.freedesktop.DBus",
                                    "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                    "NameOwnerChanged", OnOwnerChanged, this);
        if (r < 0) {
            error = platform::FillIn(platform::Translate("cannot subscribe to its signals: %s"),
                                     {platform::ErrorWords(-r)});
            return false;
        }
        if (!AddWatch("AddIdleWatch", static_cast<std::uint64_t>(idleMs_), idleWatch_, error))
            return false;
        // Already idle for longer than the chosen time: the watch only fires for the next time.
        std::uint64_t idleNow = 0;
        if (CallIdleTime(idleNow) && idleNow >= static_cast<std::uint64_t>(idleMs_))
            Idled(static_cast<std::int64_t>(idleNow), error);
        return error.empty();
    }

    int Descriptor() const override { return sd_bus_get_fd(bus_); }

    void BeforeWait() override {
        while (!lost_ && sd_bus_process(bus_, nullptr) > 0) {
        }
        if (sd_bus_flush(bus_) < 0) lost_ = true;
    }

    bool AfterWait(bool) override {
        int r = 0;
        while (!lost_ && (r = sd_bus_process(bus_, nullptr)) > 0) {
        }
        if (r < 0) lost_ = true;
        return !lost_;
    }

    std::int64_t IdleMs() override {
        if (!idleSince_) return 0;
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *idleSince_)
            .count();
    }

    bool FullScreenInFront(std::span<const std::string_view>) override { return false; }

  private:
    bool HasOwner() {
        sd_bus_error e = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        int owned = 0;
        const int r =
            sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "NameHasOwner", &e, &reply, "s", kService);
        if (r >= 0) sd_bus_message_read(reply, "b", &owned);
        sd_bus_message_unref(reply);
        sd_bus_error_free(&e);
        return r >= 0 && owned;
    }

    // Adds a watch with `method` (AddIdleWatch with an interval, AddUserActiveWatch without).
    bool AddWatch(const char* method, std::optional<std::uint64_t> interval, std::uint32_t& id,
                  std::string& error) {
        sd_bus_error e = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        int r = interval
                    ? sd_bus_call_method(bus_, kService, kPath, kInterface, method, &e, &reply, "t",
                                         *interval)
                    : sd_bus_call_method(bus_, kService, kPath, kInterface, method, &e, &reply, "");
        if (r >= 0) r = sd_bus_message_read(reply, "u", &id);
        if (r < 0) error = std::string(method) + " failed: " + dbus::BusErrorWords(e, r);
        sd_bus_message_unref(reply);
        sd_bus_error_free(&e);
        return r >= 0;
    }

    bool CallIdleTime(std::uint64_t& ms) {
        sd_bus_error e = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        int r =
            sd_bus_call_method(bus_, kService, kPath, kInterface, "GetIdletime", &e, &reply, "");
        if (r >= 0) r = sd_bus_message_read(reply, "t", &ms);
        sd_bus_message_unref(reply);
        sd_bus_error_free(&e);
        return r >= 0;
    }

    // The session has been idle for `ms`: from now on the next input is watched for.
    void Idled(std::int64_t ms, std::string& error) {
        idleSince_ = Clock::now() - std::chrono::milliseconds(ms);
        if (!AddWatch("AddUserActiveWatch", std::nullopt, activeWatch_, error)) lost_ = true;
    }

    static int OnFired(sd_bus_message* m, void* data, sd_bus_error*) {
        auto* self = static_cast<MutterMonitor*>(data);
        std::uint32_t id = 0;
        if (sd_bus_message_read(m, "u", &id) < 0) return 0;
        std::string error;
        if (id == self->idleWatch_ && !self->idleSince_) self->Idled(self->idleMs_, error);
        // The active watch is one-shot: Mutter removes it once it has fired.
        if (id == self->activeWatch_ && self->activeWatch_ != 0) {
            self->activeWatch_ = 0;
            self->idleSince_.reset();
        }
        return 0;
    }

    static int OnOwnerChanged(sd_bus_message* m, void* data, sd_bus_error*) {
        const char *name = nullptr, *before = nullptr, *after = nullptr;
        if (sd_bus_message_read(m, "sss", &name, &before, &after) < 0) return 0;
        // The compositor went: its watches went with it.
        if (std::strcmp(name, kService) == 0 && (!after || !*after))
            static_cast<MutterMonitor*>(data)->lost_ = true;
        return 0;
    }

    sd_bus* bus_;
    std::int64_t idleMs_;
    sd_bus_slot* fired_ = nullptr;
    sd_bus_slot* ownerChanged_ = nullptr;
    std::uint32_t idleWatch_ = 0;
    std::uint32_t activeWatch_ = 0;
    std::optional<Clock::time_point> idleSince_;
    bool lost_ = false;
};

}  // namespace

Opening OpenMutterIdle(std::int64_t idleMs, std::unique_ptr<Monitor>& monitor, std::string* why) {
    sd_bus* bus = nullptr;
    const int r = sd_bus_open_user(&bus);
    if (r < 0)
        return NotOpened(
            Opening::Unanswered,
            platform::FillIn(platform::Translate("no session bus: %s"), {platform::ErrorWords(-r)}),
            why);
    auto opened = std::make_unique<MutterMonitor>(bus, idleMs);
    std::string error;
    if (!opened->Watch(error)) return NotOpened(Opening::Absent, error, why);
    monitor = std::move(opened);
    return Opening::Opened;
}

}  // namespace platform::idle
