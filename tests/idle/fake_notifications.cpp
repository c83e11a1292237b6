// A stand-in desktop notification service on a test's session bus: it owns
// org.freedesktop.Notifications and writes each Notify call to the file named by its argument as
// one line, "<app name> | <summary> | <body>" with the body's line ends written as "\n". Writes
// "ready" there first, once the name is its own; ends on SIGTERM.
#include <poll.h>
#include <sys/signalfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "test_signals.h"

namespace {

const char* report = nullptr;
std::uint32_t lastId = 0;

void Report(const std::string& line) {
    if (FILE* f = std::fopen(report, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

std::string OneLine(const char* text) {
    std::string line;
    for (const char* c = text; c && *c; ++c)
        line += *c == '\n' ? std::string("\\n") : std::string(1, *c);
    return line;
}

int Notify(sd_bus_message* m, void*, sd_bus_error*) {
    const char *app = nullptr, *icon = nullptr, *summary = nullptr, *body = nullptr;
    std::uint32_t replaces = 0;
    if (sd_bus_message_read(m, "susss", &app, &replaces, &icon, &summary, &body) < 0)
        return -EINVAL;
    Report(OneLine(app) + " | " + OneLine(summary) + " | " + OneLine(body));
    return sd_bus_reply_method_return(m, "u", ++lastId);
}

const sd_bus_vtable kVtable[] = {SD_BUS_VTABLE_START(0),
                                 SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", Notify, 0),
                                 SD_BUS_VTABLE_END};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const int signals = testidle::InputAndEndSignals();
    report = argv[1];
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0 ||
        sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/Notifications",
                                 "org.freedesktop.Notifications", kVtable, nullptr) < 0 ||
        sd_bus_request_name(bus, "org.freedesktop.Notifications", 0) < 0)
        return 1;
    Report("ready");
    while (true) {
        while (sd_bus_process(bus, nullptr) > 0) {
        }
        sd_bus_flush(bus);
        pollfd waits[2] = {{signals, POLLIN, 0}, {sd_bus_get_fd(bus), POLLIN, 0}};
        poll(waits, 2, -1);
        signalfd_siginfo info{};
        if (waits[0].revents && read(signals, &info, sizeof info) == sizeof info &&
            info.ssi_signo == SIGTERM)
            break;
    }
    sd_bus_flush_close_unref(bus);
    return 0;
}
