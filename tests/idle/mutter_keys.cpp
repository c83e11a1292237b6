// Types keys into GNOME's compositor the way a remote desktop does (org.gnome.Mutter.RemoteDesktop
// on the session bus): each SIGUSR1 presses and releases Shift, which counts as the user's input.
// Writes "ready" to the file named by its argument once its session has started; ends on SIGTERM.
#include <sys/signalfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "test_signals.h"

namespace {

constexpr const char* kService = "org.gnome.Mutter.RemoteDesktop";
constexpr const char* kSession = "org.gnome.Mutter.RemoteDesktop.Session";
constexpr std::uint32_t kShift = 0xffe1;  // XK_Shift_L

bool Call(sd_bus* bus, const std::string& path, const char* method, bool pressed) {
    sd_bus_error e = SD_BUS_ERROR_NULL;
    const int r = sd_bus_call_method(bus, kService, path.c_str(), kSession, method, &e, nullptr,
                                     "ub", kShift, pressed ? 1 : 0);
    if (r < 0) std::fprintf(stderr, "mutter_keys: %s: %s\n", method, e.message ? e.message : "");
    sd_bus_error_free(&e);
    return r >= 0;
}

// Reads one signal; false when the descriptor fails.
bool ReadSignal(int signals, signalfd_siginfo& info) {
    return read(signals, &info, sizeof info) == sizeof info;
}

// Runs the session on `bus` until SIGTERM; false when Mutter refused a step.
bool Serve(sd_bus* bus, int signals, const char* readyFile) {
    sd_bus_message* reply = nullptr;
    const char* path = nullptr;
    if (sd_bus_call_method(bus, kService, "/org/gnome/Mutter/RemoteDesktop",
                           "org.gnome.Mutter.RemoteDesktop", "CreateSession", nullptr, &reply,
                           "") < 0)
        return false;
    const bool gotPath = sd_bus_message_read(reply, "o", &path) >= 0;
    const std::string session = gotPath ? path : "";
    sd_bus_message_unref(reply);
    if (!gotPath || sd_bus_call_method(bus, kService, session.c_str(), kSession, "Start", nullptr,
                                       nullptr, "") < 0)
        return false;
    if (FILE* ready = std::fopen(readyFile, "w")) {
        std::fputs("ready\n", ready);
        std::fclose(ready);
    }
    for (signalfd_siginfo info{}; ReadSignal(signals, info);) {
        if (info.ssi_signo == SIGTERM) return true;
        if (!Call(bus, session, "NotifyKeyboardKeysym", true) ||
            !Call(bus, session, "NotifyKeyboardKeysym", false))
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const int signals = testidle::InputAndEndSignals();
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return 1;
    // Mutter may not be on the bus yet: the test starts this again until it is. Every way out
    // closes the bus, so an early end leaves nothing behind.
    const bool served = Serve(bus, signals, argv[1]);
    sd_bus_flush_close_unref(bus);
    return served ? 0 : 1;
}
