// velmora_fake_portal ANSWER: a stand-in desktop portal for the tests. Takes the name
// org.freedesktop.portal.Desktop on the session bus and answers every Screenshot call the way
// ANSWER says: "refuse" (Response 1, as when the user or the system says no), "fail" (Response
// 2), or "silent" (never answers). Prints "ready" once it owns the name; runs until killed.
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string answer;
unsigned requests = 0;

// The caller's handle_token option, or a token of our own.
std::string TokenOf(sd_bus_message* call) {
    std::string token = "fake" + std::to_string(++requests);
    if (sd_bus_message_enter_container(call, SD_BUS_TYPE_ARRAY, "{sv}") <= 0) return token;
    while (sd_bus_message_enter_container(call, SD_BUS_TYPE_DICT_ENTRY, "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(call, "s", &key) < 0) break;
        const char* value = nullptr;
        if (std::strcmp(key, "handle_token") == 0 &&
            sd_bus_message_read(call, "v", "s", &value) >= 0 && value)
            token = value;
        else if (sd_bus_message_skip(call, "v") < 0)
            break;
        sd_bus_message_exit_container(call);
    }
    return token;
}

int Screenshot(sd_bus_message* call, void*, sd_bus_error*) {
    const char* parent = nullptr;
    if (sd_bus_message_read(call, "s", &parent) < 0) return -EINVAL;
    // The request's path follows the portal's rule, so the caller listens there before calling.
    const std::string sender = sd_bus_message_get_sender(call);
    std::string path = "/org/freedesktop/portal/desktop/request/";
    for (char c : sender.substr(1)) path += c == '.' ? '_' : c;
    path += "/" + TokenOf(call);
    const int r = sd_bus_reply_method_return(call, "o", path.c_str());
    if (r < 0 || answer == "silent") return r;
    const std::uint32_t response = answer == "refuse" ? 1 : 2;
    return sd_bus_emit_signal(sd_bus_message_get_bus(call), path.c_str(),
                              "org.freedesktop.portal.Request", "Response", "ua{sv}", response, 0);
}

const sd_bus_vtable kScreenshot[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Screenshot", "sa{sv}", "o", Screenshot, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

}  // namespace

int main(int argc, char** argv) {
    answer = argc > 1 ? argv[1] : "fail";
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return 1;
    if (sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/portal/desktop",
                                 "org.freedesktop.portal.Screenshot", kScreenshot, nullptr) < 0)
        return 1;
    if (sd_bus_request_name(bus, "org.freedesktop.portal.Desktop", 0) < 0) return 1;
    std::puts("ready");
    std::fflush(stdout);
    while (true) {
        const int r = sd_bus_process(bus, nullptr);
        if (r < 0) return 1;
        if (r == 0) sd_bus_wait(bus, UINT64_MAX);
    }
}
