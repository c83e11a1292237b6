// The desktop's shields on the buses (sd-bus): the screen savers that GNOME (org.gnome.ScreenSaver)
// and KDE and others (org.freedesktop.ScreenSaver) keep on the session bus, asked with GetActive
// and followed through ActiveChanged, and the login manager's LockedHint of this session on the
// system bus, followed through PropertiesChanged. Every call goes out at once without waiting;
// the first answers are awaited together until the caller's deadline. A service that is not
// running is never started for the question.
#include <systemd/sd-bus.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/common/desktop_shield_backends.h"

namespace platform::shields {
namespace {

using Clock = std::chrono::steady_clock;

// What one source said last, and whether its first answer is still awaited.
struct Reading {
    bool on = false;
    bool waiting = false;
};

struct ScreenSaver {
    const char* name;  // its bus name and interface
    const char* path;
};
constexpr ScreenSaver kGnome{"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"};
constexpr ScreenSaver kFreedesktop{"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"};

constexpr const char* kLogin = "org.freedesktop.login1";
constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

// Reads a boolean argument into `on`; false when the message holds none.
bool ReadBool(sd_bus_message* m, bool& on) {
    int value = 0;
    if (sd_bus_message_read(m, "b", &value) < 0) return false;
    on = value != 0;
    return true;
}

class BusShields final : public Source {
  public:
    ~BusShields() override {
        for (sd_bus_slot* slot : slots_) sd_bus_slot_unref(slot);
        sd_bus_flush_close_unref(session_);
        sd_bus_flush_close_unref(system_);
    }

    // Subscribes and asks on whichever bus can be reached; false when neither can.
    bool Open() {
        if (sd_bus_open_user(&session_) < 0) session_ = nullptr;
        if (sd_bus_open_system(&system_) < 0) system_ = nullptr;
        if (session_) {
            AskScreenSaver(kGnome, gnome_);
            AskScreenSaver(kFreedesktop, freedesktop_);
        }
        if (system_) AskLogin();
        return session_ || system_;
    }

    // Takes in what comes until every first answer is in or `deadline` passes.
    void Await(Clock::time_point deadline) {
        for (sd_bus** bus : {&session_, &system_}) {
            while (*bus && Waiting(*bus)) {
                Take(*bus);
                const auto left = deadline - Clock::now();
                if (!*bus || !Waiting(*bus) || left <= Clock::duration::zero()) break;
                const auto us = std::chrono::duration_cast<std::chrono::microseconds>(left);
                if (sd_bus_wait(*bus, static_cast<std::uint64_t>(us.count())) < 0) Drop(*bus);
            }
        }
    }

    DesktopShield Active() override {
        Take(session_);
        Take(system_);
        if (gnome_.on) return DesktopShield::GnomeScreenSaver;
        if (freedesktop_.on) return DesktopShield::FreedesktopScreenSaver;
        if (locked_.on) return DesktopShield::SessionLocked;
        return DesktopShield::Off;
    }

  private:
    // Whether a first answer is still awaited on `bus`.
    bool Waiting(const sd_bus* bus) const {
        if (bus == session_) return gnome_.waiting || freedesktop_.waiting;
        return locked_.waiting;
    }

    // Dispatches what has arrived and sends what is queued; a broken connection is let go, and
    // what it would have told counts as off.
    void Take(sd_bus*& bus) {
        int r = 0;
        while (bus && (r = sd_bus_process(bus, nullptr)) > 0) {
        }
        if (bus && r < 0) Drop(bus);
    }

    void Drop(sd_bus*& bus) {
        if (bus == session_) gnome_ = freedesktop_ = {};
        if (bus == system_) locked_ = {};
        sd_bus_flush_close_unref(bus);
        bus = nullptr;
    }

    // A method call to `service` that does not start it when it is not running.
    static sd_bus_message* NewCall(sd_bus* bus, const char* service, const char* path,
                                   const char* interface, const char* member) {
        sd_bus_message* m = nullptr;
        if (sd_bus_message_new_method_call(bus, &m, service, path, interface, member) < 0)
            return nullptr;
        sd_bus_message_set_auto_start(m, 0);
        return m;
    }

    // Sends `call` (and lets go of it): `handler` gets the answer with `data`, and `reading`
    // counts as waiting until it has. The caller's deadline ends the wait for the first answers;
    // the bus library's default timeout ends a call that never gets one.
    void Send(sd_bus* bus, sd_bus_message* call, sd_bus_message_handler_t handler, void* data,
              Reading& reading) {
        sd_bus_slot* slot = nullptr;
        if (call && sd_bus_call_async(bus, &slot, call, handler, data, 0) >= 0) {
            reading.waiting = true;
            slots_.push_back(slot);
        }
        sd_bus_message_unref(call);
    }

    void Subscribe(sd_bus* bus, const char* path, const char* interface, const char* member,
                   sd_bus_message_handler_t handler, void* data) {
        sd_bus_slot* slot = nullptr;
        // Any sender: a signal carries the service's unique name, which a match on the
        // well-known one would not recognise.
        if (sd_bus_match_signal_async(bus, &slot, nullptr, path, interface, member, handler,
                                      nullptr, data) >= 0)
            slots_.push_back(slot);
    }

    // ActiveChanged first, so that no change between the answer and the subscription is lost.
    void AskScreenSaver(const ScreenSaver& saver, Reading& reading) {
        Subscribe(session_, nullptr, saver.name, "ActiveChanged", OnActiveChanged, &reading);
        Send(session_, NewCall(session_, saver.name, saver.path, saver.name, "GetActive"),
             OnGetActive, &reading, reading);
    }

    // This session's object first ("auto": the caller's session, else the user's graphical
    // one), then its LockedHint.
    void AskLogin() {
        sd_bus_message* call = NewCall(system_, kLogin, "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "GetSession");
        if (call && sd_bus_message_append(call, "s", "auto") < 0) {
            sd_bus_message_unref(call);
            call = nullptr;
        }
        Send(system_, call, OnSession, this, locked_);
    }

    static int OnActiveChanged(sd_bus_message* m, void* data, sd_bus_error*) {
        ReadBool(m, static_cast<Reading*>(data)->on);
        return 0;
    }

    static int OnGetActive(sd_bus_message* m, void* data, sd_bus_error*) {
        auto& reading = *static_cast<Reading*>(data);
        reading.waiting = false;
        if (!sd_bus_message_is_method_error(m, nullptr)) ReadBool(m, reading.on);
        return 0;
    }

    static int OnSession(sd_bus_message* m, void* data, sd_bus_error*) {
        auto& self = *static_cast<BusShields*>(data);
        const char* path = nullptr;
        if (sd_bus_message_is_method_error(m, nullptr) || sd_bus_message_read(m, "o", &path) < 0) {
            self.locked_.waiting = false;  // no session of ours: nothing is locked
            return 0;
        }
        self.sessionPath_ = path;
        self.Subscribe(self.system_, self.sessionPath_.c_str(), kProperties, "PropertiesChanged",
                       OnPropertiesChanged, &self.locked_);
        sd_bus_message* call =
            NewCall(self.system_, kLogin, self.sessionPath_.c_str(), kProperties, "Get");
        if (call && sd_bus_message_append(call, "ss", kSessionInterface, "LockedHint") < 0) {
            sd_bus_message_unref(call);
            call = nullptr;
        }
        self.locked_.waiting = false;
        self.Send(self.system_, call, OnLockedHint, &self.locked_, self.locked_);
        return 0;
    }

    static int OnLockedHint(sd_bus_message* m, void* data, sd_bus_error*) {
        auto& reading = *static_cast<Reading*>(data);
        reading.waiting = false;
        if (sd_bus_message_is_method_error(m, nullptr)) return 0;
        if (sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, "b") > 0)
            ReadBool(m, reading.on);
        return 0;
    }

    // PropertiesChanged(interface, {name: value}, [invalidated]): only the session's
    // LockedHint counts.
    static int OnPropertiesChanged(sd_bus_message* m, void* data, sd_bus_error*) {
        const char* interface = nullptr;
        if (sd_bus_message_read(m, "s", &interface) < 0 ||
            std::strcmp(interface, kSessionInterface) != 0)
            return 0;
        if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}") <= 0) return 0;
        while (sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv") > 0) {
            const char* name = nullptr;
            if (sd_bus_message_read(m, "s", &name) < 0) return 0;
            if (std::strcmp(name, "LockedHint") == 0 &&
                sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, "b") > 0) {
                ReadBool(m, static_cast<Reading*>(data)->on);
                sd_bus_message_exit_container(m);
            } else if (sd_bus_message_skip(m, "v") < 0) {
                return 0;
            }
            sd_bus_message_exit_container(m);
        }
        return 0;
    }

    sd_bus* session_ = nullptr;
    sd_bus* system_ = nullptr;
    std::vector<sd_bus_slot*> slots_;
    Reading gnome_, freedesktop_, locked_;
    std::string sessionPath_;
};

}  // namespace

std::unique_ptr<Source> OpenBusShields(Clock::time_point deadline) {
    auto shields = std::make_unique<BusShields>();
    if (!shields->Open()) return nullptr;
    shields->Await(deadline);
    return shields;
}

}  // namespace platform::shields
