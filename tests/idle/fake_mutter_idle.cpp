// A stand-in for GNOME's compositor on a test's session bus: it owns org.gnome.Mutter.IdleMonitor
// and keeps an idle time of its own, which SIGUSR1 resets as a key press would. Idle watches
// fire each time that time crosses their interval; user-active watches fire once, at the next
// reset. Writes "ready" to the file named by its argument once the name is its own, and a line
// for each watch added ("idle watch", "active watch"); ends on SIGTERM.
#include <poll.h>
#include <sys/signalfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

#include "test_signals.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kInterface = "org.gnome.Mutter.IdleMonitor";

struct State {
    sd_bus* bus = nullptr;
    const char* report = nullptr;
    Clock::time_point lastInput = Clock::now();
    std::uint32_t nextId = 1;
    std::map<std::uint32_t, std::uint64_t> idleWatches;  // id -> interval (ms)
    std::map<std::uint32_t, bool> idleFired;             // fired since the last input
    std::map<std::uint32_t, bool> activeWatches;
};

std::uint64_t IdleMs(const State& s) {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - s.lastInput).count());
}

void Report(const State& s, const char* line) {
    if (FILE* f = std::fopen(s.report, "a")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}

void Fire(State& s, std::uint32_t id) {
    sd_bus_emit_signal(s.bus, kPath, kInterface, "WatchFired", "u", id);
}

int GetIdletime(sd_bus_message* m, void* data, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "t", IdleMs(*static_cast<State*>(data)));
}

int AddIdleWatch(sd_bus_message* m, void* data, sd_bus_error*) {
    auto& s = *static_cast<State*>(data);
    std::uint64_t interval = 0;
    if (sd_bus_message_read(m, "t", &interval) < 0) return -EINVAL;
    const std::uint32_t id = s.nextId++;
    s.idleWatches[id] = interval;
    s.idleFired[id] = IdleMs(s) >= interval;  // as Mutter: only the next crossing fires
    Report(s, "idle watch");
    return sd_bus_reply_method_return(m, "u", id);
}

int AddUserActiveWatch(sd_bus_message* m, void* data, sd_bus_error*) {
    auto& s = *static_cast<State*>(data);
    const std::uint32_t id = s.nextId++;
    s.activeWatches[id] = true;
    Report(s, "active watch");
    return sd_bus_reply_method_return(m, "u", id);
}

int RemoveWatch(sd_bus_message* m, void* data, sd_bus_error*) {
    auto& s = *static_cast<State*>(data);
    std::uint32_t id = 0;
    if (sd_bus_message_read(m, "u", &id) < 0) return -EINVAL;
    s.idleWatches.erase(id);
    s.activeWatches.erase(id);
    return sd_bus_reply_method_return(m, "");
}

const sd_bus_vtable kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("GetIdletime", "", "t", GetIdletime, 0),
    SD_BUS_METHOD("AddIdleWatch", "t", "u", AddIdleWatch, 0),
    SD_BUS_METHOD("AddUserActiveWatch", "", "u", AddUserActiveWatch, 0),
    SD_BUS_METHOD("RemoveWatch", "u", "", RemoveWatch, 0),
    SD_BUS_SIGNAL("WatchFired", "u", 0),
    SD_BUS_VTABLE_END};

void Input(State& s) {
    s.lastInput = Clock::now();
    for (auto& [id, fired] : s.idleFired) fired = false;
    for (const auto& [id, unused] : s.activeWatches) Fire(s, id);
    s.activeWatches.clear();
}

// Fires the idle watches whose interval has been crossed; the wait until the next one (ms).
int FireDue(State& s) {
    std::int64_t next = 1000;
    const std::uint64_t idle = IdleMs(s);
    for (const auto& [id, interval] : s.idleWatches) {
        if (s.idleFired[id]) continue;
        if (idle >= interval) {
            s.idleFired[id] = true;
            Fire(s, id);
        } else {
            next = std::min<std::int64_t>(next, static_cast<std::int64_t>(interval - idle));
        }
    }
    return static_cast<int>(next);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const int signals = testidle::InputAndEndSignals();
    State s;
    if (sd_bus_open_user(&s.bus) < 0 ||
        sd_bus_add_object_vtable(s.bus, nullptr, kPath, kInterface, kVtable, &s) < 0 ||
        sd_bus_request_name(s.bus, kInterface, 0) < 0)
        return 1;
    s.report = argv[1];
    Report(s, "ready");
    while (true) {
        while (sd_bus_process(s.bus, nullptr) > 0) {
        }
        sd_bus_flush(s.bus);
        pollfd waits[2] = {{signals, POLLIN, 0}, {sd_bus_get_fd(s.bus), POLLIN, 0}};
        poll(waits, 2, FireDue(s));
        if (waits[0].revents) {
            signalfd_siginfo info{};
            if (read(signals, &info, sizeof info) != sizeof info) continue;
            if (info.ssi_signo == SIGTERM) break;
            Input(s);
        }
        FireDue(s);
    }
    sd_bus_flush_close_unref(s.bus);
    return 0;
}
