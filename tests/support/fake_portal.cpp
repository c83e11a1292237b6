// velmora_fake_portal ANSWER [--store STORED] [--report FILE] [--picture FROM TO]: a stand-in
// desktop portal for the tests. Takes the name org.freedesktop.portal.Desktop on the session bus
// and answers every Screenshot call the way ANSWER says: "picture" (Response 0: FROM copied to
// TO, whose file URI is the answer), "refuse" (Response 1, as when the user or the system says
// no), "fail" (Response 2), or "silent" (never answers; the request can be closed). With --store
// it also stands in for the permission store, whose Lookup("screenshot", "screenshot") gives the
// entry "" as ["yes"] or ["no"] for STORED "yes" or "no", and fails as for an unknown table for
// "missing"; "deny-on-call" starts missing and stores "no" as the Screenshot call comes, as a
// person denying the desktop's question would. Each call is a line in FILE ("lookup",
// "screenshot", "close"). Prints "ready" once it owns the names; runs until killed.
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

std::string answer = "fail";
std::string stored;  // empty: no permission store
std::string report;
std::string pictureFrom, pictureTo;
unsigned requests = 0;

void Report(const char* line) {
    if (report.empty()) return;
    if (FILE* f = std::fopen(report.c_str(), "a")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}

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

int Close(sd_bus_message* call, void*, sd_bus_error*) {
    Report("close");
    return sd_bus_reply_method_return(call, "");
}

const sd_bus_vtable kRequest[] = {SD_BUS_VTABLE_START(0),
                                  SD_BUS_METHOD("Close", "", "", Close, SD_BUS_VTABLE_UNPRIVILEGED),
                                  SD_BUS_VTABLE_END};

// The file URI of `path`, spaces escaped.
std::string FileUri(const std::string& path) {
    std::string uri = "file://";
    for (char c : path) uri += c == ' ' ? std::string("%20") : std::string(1, c);
    return uri;
}

// Sends the Response that ANSWER asks for.
int Respond(sd_bus* bus, const std::string& path) {
    if (answer == "picture") {
        std::error_code error;
        std::filesystem::copy_file(pictureFrom, pictureTo,
                                   std::filesystem::copy_options::overwrite_existing, error);
        const std::string uri = FileUri(pictureTo);
        return sd_bus_emit_signal(bus, path.c_str(), "org.freedesktop.portal.Request", "Response",
                                  "ua{sv}", 0u, 1, "uri", "s", uri.c_str());
    }
    const std::uint32_t response = answer == "refuse" ? 1 : 2;
    return sd_bus_emit_signal(bus, path.c_str(), "org.freedesktop.portal.Request", "Response",
                              "ua{sv}", response, 0);
}

int Screenshot(sd_bus_message* call, void*, sd_bus_error*) {
    Report("screenshot");
    if (stored == "deny-on-call") stored = "no";
    const char* parent = nullptr;
    if (sd_bus_message_read(call, "s", &parent) < 0) return -EINVAL;
    // The request's path follows the portal's rule, so the caller listens there before calling.
    const std::string sender = sd_bus_message_get_sender(call);
    std::string path = "/org/freedesktop/portal/desktop/request/";
    for (char c : sender.substr(1)) path += c == '.' ? '_' : c;
    path += "/" + TokenOf(call);
    sd_bus* bus = sd_bus_message_get_bus(call);
    if (sd_bus_add_object_vtable(bus, nullptr, path.c_str(), "org.freedesktop.portal.Request",
                                 kRequest, nullptr) < 0)
        return -ENOMEM;
    const int r = sd_bus_reply_method_return(call, "o", path.c_str());
    if (r < 0 || answer == "silent") return r;
    return Respond(bus, path);
}

int Lookup(sd_bus_message* call, void*, sd_bus_error* error) {
    Report("lookup");
    const char *table = nullptr, *id = nullptr;
    if (sd_bus_message_read(call, "ss", &table, &id) < 0) return -EINVAL;
    if ((stored != "yes" && stored != "no") || std::strcmp(table, "screenshot") != 0 ||
        std::strcmp(id, "screenshot") != 0)
        return sd_bus_error_set(error, "org.freedesktop.portal.Error.NotFound", "No such table");
    sd_bus_message* reply = nullptr;
    int r = sd_bus_message_new_method_return(call, &reply);
    if (r >= 0) r = sd_bus_message_open_container(reply, SD_BUS_TYPE_ARRAY, "{sas}");
    // A sandboxed program's answer first, so that the caller has to find the entry "".
    if (r >= 0) r = sd_bus_message_append(reply, "{sas}", "org.example.Sandboxed", 1, "yes");
    if (r >= 0) r = sd_bus_message_append(reply, "{sas}", "", 1, stored.c_str());
    if (r >= 0) r = sd_bus_message_close_container(reply);
    if (r >= 0) r = sd_bus_message_append(reply, "v", "s", "");
    if (r >= 0) r = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return r;
}

const sd_bus_vtable kScreenshot[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Screenshot", "sa{sv}", "o", Screenshot, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

const sd_bus_vtable kStore[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Lookup", "ss", "a{sas}v", Lookup, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

bool ReadArguments(int argc, char** argv) {
    if (argc > 1) answer = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--store" && i + 1 < argc)
            stored = argv[++i];
        else if (option == "--report" && i + 1 < argc)
            report = argv[++i];
        else if (option == "--picture" && i + 2 < argc) {
            pictureFrom = argv[++i];
            pictureTo = argv[++i];
        } else
            return false;
    }
    return answer != "picture" || !pictureFrom.empty();
}

// Takes `name`, waiting up to 5 s for a stand-in that was just ended to let go of it.
bool TakeName(sd_bus* bus, const char* name) {
    for (int i = 0; i < 500; ++i) {
        const int r = sd_bus_request_name(bus, name, 0);
        if (r >= 0) return true;
        if (r != -EEXIST) return false;
        usleep(10'000);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!ReadArguments(argc, argv)) return 2;
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return 1;
    if (sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/portal/desktop",
                                 "org.freedesktop.portal.Screenshot", kScreenshot, nullptr) < 0)
        return 1;
    if (!stored.empty() &&
        (sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/impl/portal/PermissionStore",
                                  "org.freedesktop.impl.portal.PermissionStore", kStore,
                                  nullptr) < 0 ||
         !TakeName(bus, "org.freedesktop.impl.portal.PermissionStore")))
        return 1;
    if (!TakeName(bus, "org.freedesktop.portal.Desktop")) return 1;
    std::puts("ready");
    std::fflush(stdout);
    Report("ready");
    while (true) {
        const int r = sd_bus_process(bus, nullptr);
        if (r < 0) return 1;
        if (r == 0) sd_bus_wait(bus, UINT64_MAX);
    }
}
