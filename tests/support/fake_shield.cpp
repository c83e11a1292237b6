// velmora_fake_shield KIND REPORT [--active]: a stand-in for the desktop's screen saver or lock
// on a test's private buses. KIND is one of
//   gnome        org.gnome.ScreenSaver at /org/gnome/ScreenSaver on the session bus
//   freedesktop  org.freedesktop.ScreenSaver at /org/freedesktop/ScreenSaver, session bus
//   logind       org.freedesktop.login1 on the system bus ($DBUS_SYSTEM_BUS_ADDRESS): the
//                manager's GetSession("auto") and that session's LockedHint property
//   silent       owns org.gnome.ScreenSaver and never answers GetActive
// It starts off (on with --active); SIGUSR1 turns it on and SIGUSR2 off, each change announced as
// the desktop announces it (ActiveChanged, PropertiesChanged). Writes "ready" to REPORT once the
// name is its own, then a line for each change it announced ("on", "off"); ends on SIGTERM.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kSessionPath = "/org/freedesktop/login1/session/_31";
constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";

struct State {
    std::string kind;
    const char* report = nullptr;
    sd_bus* bus = nullptr;
    bool on = false;
};

void Report(const State& s, const char* line) {
    if (FILE* f = std::fopen(s.report, "a")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}

int GetActive(sd_bus_message* m, void* data, sd_bus_error*) {
    const auto& s = *static_cast<State*>(data);
    if (s.kind == "silent") return 1;  // the call stays unanswered
    return sd_bus_reply_method_return(m, "b", static_cast<int>(s.on));
}

int GetSession(sd_bus_message* m, void*, sd_bus_error* error) {
    const char* id = nullptr;
    if (sd_bus_message_read(m, "s", &id) < 0) return -EINVAL;
    if (std::strcmp(id, "auto") != 0)
        return sd_bus_error_set(error, "org.freedesktop.login1.NoSuchSession", "no such session");
    return sd_bus_reply_method_return(m, "o", kSessionPath);
}

int LockedHint(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* data,
               sd_bus_error*) {
    return sd_bus_message_append(reply, "b", static_cast<int>(static_cast<State*>(data)->on));
}

const sd_bus_vtable kSaver[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("GetActive", "", "b", GetActive, 0),
    SD_BUS_SIGNAL("ActiveChanged", "b", 0),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kManager[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("GetSession", "s", "o", GetSession, 0),
    SD_BUS_VTABLE_END,
};

const sd_bus_vtable kSession[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("LockedHint", "b", LockedHint, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
    SD_BUS_VTABLE_END,
};

// Offers the objects of the kind and takes its name; false when that fails.
bool Offer(State& s) {
    int r = 0;
    const char* name = "org.gnome.ScreenSaver";
    if (s.kind == "gnome" || s.kind == "silent") {
        r = sd_bus_add_object_vtable(s.bus, nullptr, "/org/gnome/ScreenSaver", name, kSaver, &s);
    } else if (s.kind == "freedesktop") {
        name = "org.freedesktop.ScreenSaver";
        for (const char* path : {"/org/freedesktop/ScreenSaver", "/ScreenSaver"})
            if (r >= 0) r = sd_bus_add_object_vtable(s.bus, nullptr, path, name, kSaver, &s);
    } else if (s.kind == "logind") {
        name = "org.freedesktop.login1";
        r = sd_bus_add_object_vtable(s.bus, nullptr, "/org/freedesktop/login1",
                                     "org.freedesktop.login1.Manager", kManager, &s);
        if (r >= 0)
            r = sd_bus_add_object_vtable(s.bus, nullptr, kSessionPath, kSessionInterface, kSession,
                                         &s);
    } else {
        return false;
    }
    return r >= 0 && sd_bus_request_name(s.bus, name, 0) >= 0;
}

void Turn(State& s, bool on) {
    if (s.on == on) return;
    s.on = on;
    if (s.kind == "logind") {
        sd_bus_emit_properties_changed(s.bus, kSessionPath, kSessionInterface, "LockedHint",
                                       nullptr);
    } else {
        const bool gnome = s.kind != "freedesktop";
        sd_bus_emit_signal(s.bus, gnome ? "/org/gnome/ScreenSaver" : "/org/freedesktop/ScreenSaver",
                           gnome ? "org.gnome.ScreenSaver" : "org.freedesktop.ScreenSaver",
                           "ActiveChanged", "b", static_cast<int>(on));
    }
    sd_bus_flush(s.bus);
    Report(s, on ? "on" : "off");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: velmora_fake_shield KIND REPORT [--active]\n");
        return 2;
    }
    State s;
    s.kind = argv[1];
    s.report = argv[2];
    s.on = argc > 3 && std::strcmp(argv[3], "--active") == 0;
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGUSR1, SIGUSR2, SIGTERM}) sigaddset(&set, signal);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    const int signals = signalfd(-1, &set, SFD_CLOEXEC);
    const int r = s.kind == "logind" ? sd_bus_open_system(&s.bus) : sd_bus_open_user(&s.bus);
    if (r < 0 || signals < 0 || !Offer(s)) {
        std::fprintf(stderr, "velmora_fake_shield: cannot offer %s\n", argv[1]);
        return 1;
    }
    Report(s, "ready");
    while (true) {
        while (sd_bus_process(s.bus, nullptr) > 0) {
        }
        pollfd fds[2] = {{sd_bus_get_fd(s.bus), static_cast<short>(sd_bus_get_events(s.bus)), 0},
                         {signals, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[0].revents & (POLLHUP | POLLERR)) return 1;
        signalfd_siginfo info;
        if ((fds[1].revents & POLLIN) && read(signals, &info, sizeof info) == sizeof info) {
            if (info.ssi_signo == SIGTERM) break;
            Turn(s, info.ssi_signo == SIGUSR1);
        }
    }
    sd_bus_flush_close_unref(s.bus);
    return 0;
}
