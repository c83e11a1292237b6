// The Wayland capture's second route: the desktop portal's Screenshot call over the session bus
// (sd-bus), and the PNG file it hands back (see wayland_capture.h).
#include <fcntl.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "platform/base.h"
#include "platform/dbus/bus_error.h"
#include "platform/dbus/permission_store.h"
#include "platform/dbus/portal_request.h"
#include "platform/monitor_layout.h"
#include "platform/wayland/wayland_capture.h"

namespace platform::wayland {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalObject = "/org/freedesktop/portal/desktop";
// How long the request's Close may take (microseconds).
constexpr std::uint64_t kSideCallTimeout = 3'000'000;

// What the Response signal brought, once it came.
struct Answer {
    bool came = false;
    std::uint32_t response = 2;
    std::optional<std::string> uri;
};

// Reads Response(u response, a{sv} results), keeping the "uri" result.
int OnResponse(sd_bus_message* m, void* data, sd_bus_error*) {
    auto& answer = *static_cast<Answer*>(data);
    answer.came = true;
    if (sd_bus_message_read(m, "u", &answer.response) < 0) {
        answer.response = 2;
        return 0;
    }
    if (sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}") <= 0) return 0;
    while (sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(m, "s", &key) < 0) break;
        if (std::strcmp(key, "uri") == 0 &&
            sd_bus_message_enter_container(m, SD_BUS_TYPE_VARIANT, "s") > 0) {
            const char* uri = nullptr;
            if (sd_bus_message_read(m, "s", &uri) >= 0 && uri) answer.uri = uri;
            sd_bus_message_exit_container(m);
        } else if (sd_bus_message_skip(m, "v") < 0) {
            break;
        }
        if (sd_bus_message_exit_container(m) < 0) break;
    }
    return 0;
}

// Listens for the Response of the request at `path`.
bool Listen(sd_bus* bus, const std::string& path, Answer& answer, sd_bus_slot** slot) {
    return sd_bus_match_signal(bus, slot, nullptr, path.c_str(), "org.freedesktop.portal.Request",
                               "Response", OnResponse, &answer) >= 0;
}

// A token for handle_token, new for each request of this process.
std::string NewToken() {
    static std::atomic<unsigned> counter{0};
    return "velmora_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
}

constexpr const char* kListenRefused =
    platform::Translatable("the session bus refused to pass on the portal's answer");

// PortalAnswerWait for `stored`, each second shortened to kPortalSecondVariable's milliseconds
// where the tests set it (1 to 1000).
Clock::duration AnswerWait(StoredScreenshotAnswer stored) {
    const auto wait = PortalAnswerWait(stored);
    if (const char* value = std::getenv(kPortalSecondVariable); value && *value) {
        char* end = nullptr;
        const long ms = std::strtol(value, &end, 10);
        if (*end == '\0' && ms >= 1 && ms <= 1000)
            return std::chrono::milliseconds(ms) * wait.count();
    }
    return wait;
}

// Calls Screenshot; true with the request's object path in `handle`. `late` true when the call
// was not answered before `deadline`.
bool CallScreenshot(sd_bus* bus, const std::string& token, Clock::time_point deadline,
                    StoredScreenshotAnswer stored, std::string& handle, bool& late,
                    std::string& why) {
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int r = sd_bus_message_new_method_call(bus, &call, kPortal, kPortalObject,
                                           "org.freedesktop.portal.Screenshot", "Screenshot");
    if (r >= 0) r = sd_bus_message_append(call, "s", "");
    if (r >= 0)
        r = sd_bus_message_append(call, "a{sv}", 2, "handle_token", "s", token.c_str(),
                                  "interactive", "b", 0);
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
    if (r >= 0) r = sd_bus_call(bus, call, std::max<std::int64_t>(left.count(), 1), &error, &reply);
    bool called = false;
    const char* path = nullptr;
    if (r >= 0 && sd_bus_message_read(reply, "o", &path) >= 0 && path) {
        handle = path;
        called = true;
    } else if (sd_bus_error_has_names(&error, SD_BUS_ERROR_SERVICE_UNKNOWN,
                                      SD_BUS_ERROR_NAME_HAS_NO_OWNER)) {
        why = platform::Translate("no desktop portal answers on the session bus");
    } else if (sd_bus_error_has_names(&error, SD_BUS_ERROR_UNKNOWN_METHOD,
                                      SD_BUS_ERROR_UNKNOWN_INTERFACE,
                                      SD_BUS_ERROR_UNKNOWN_OBJECT)) {
        why = platform::Translate("the desktop portal offers no screenshots");
    } else if (r == -ETIMEDOUT || sd_bus_error_has_name(&error, SD_BUS_ERROR_TIMEOUT) ||
               sd_bus_error_has_name(&error, SD_BUS_ERROR_NO_REPLY)) {
        why = PortalNoAnswerWords(stored);
        late = true;
    } else {
        why =
            platform::FillIn(platform::Translate("the desktop portal's screenshot call failed: %s"),
                             {dbus::BusErrorWords(error, r)});
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    return called;
}

// Tells the portal that the request at `handle` is no longer wanted, and waits (briefly) until
// it has taken note. A question the desktop shows for the request may stay on screen (GNOME 43
// leaves it there), but what is answered there afterwards is no longer taken.
void CloseRequest(sd_bus* bus, const std::string& handle) {
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    if (sd_bus_message_new_method_call(bus, &call, kPortal, handle.c_str(),
                                       "org.freedesktop.portal.Request", "Close") >= 0)
        sd_bus_call(bus, call, kSideCallTimeout, &error, &reply);
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
}

// Processes the bus until the answer comes or `deadline` passes.
bool WaitForAnswer(sd_bus* bus, const Answer& answer, Clock::time_point deadline) {
    while (!answer.came) {
        const int r = sd_bus_process(bus, nullptr);
        if (r < 0) return false;
        if (r > 0) continue;
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        if (sd_bus_wait(bus, static_cast<std::uint64_t>(left.count())) < 0) return false;
    }
    return true;
}

// Waits for the answer to the request at `handle` and reads it: true with the PNG's path in
// `path`.
bool AwaitPicture(sd_bus* bus, const std::string& handle, const Answer& answer,
                  Clock::time_point deadline, StoredScreenshotAnswer stored, std::string& path,
                  std::string& why) {
    if (!WaitForAnswer(bus, answer, deadline)) {
        CloseRequest(bus, handle);
        why = PortalNoAnswerWords(stored);
        return false;
    }
    const PortalAnswer read = ReadPortalAnswer(answer.response, answer.uri);
    if (read.kind != PortalAnswer::Kind::Picture) {
        // A person may just have said no to the desktop's question: then that is the reason.
        const bool refusedNow =
            answer.response != 0 && dbus::LookUpStoredAnswer(bus) == StoredScreenshotAnswer::No;
        why = refusedNow ? ScreenshotNotAllowedWords() : read.why;
        return false;
    }
    path = read.path;
    return true;
}

// Asks for the screenshot, unless "no" is stored, and waits for the answer: true with the PNG's
// path in `path`.
bool RequestScreenshot(sd_bus* bus, std::string& path, std::string& why) {
    const StoredScreenshotAnswer stored = dbus::LookUpStoredAnswer(bus);
    if (stored == StoredScreenshotAnswer::No) {
        why = ScreenshotNotAllowedWords();
        return false;
    }
    const auto deadline = Clock::now() + AnswerWait(stored);
    const char* unique = nullptr;
    if (sd_bus_get_unique_name(bus, &unique) < 0 || !unique) {
        why = platform::Translate("the session bus gave this program no name");
        return false;
    }
    const std::string token = NewToken();
    const auto expected = PortalRequestPath(unique, token);
    Answer answer;
    sd_bus_slot* slot = nullptr;
    // The answer can come as soon as the call is made: listen first.
    if (!expected || !Listen(bus, *expected, answer, &slot)) {
        why = platform::Translate(kListenRefused);
        return false;
    }
    std::string handle;
    bool late = false;
    bool ok = CallScreenshot(bus, token, deadline, stored, handle, late, why);
    if (late) CloseRequest(bus, *expected);  // the request may exist all the same
    if (ok && handle != *expected) {
        // A portal older than the handle_token rule: listen where it says.
        sd_bus_slot_unref(slot);
        slot = nullptr;
        if (!Listen(bus, handle, answer, &slot)) {
            CloseRequest(bus, handle);
            why = platform::Translate(kListenRefused);
            ok = false;
        }
    }
    if (ok) ok = AwaitPicture(bus, handle, answer, deadline, stored, path, why);
    sd_bus_slot_unref(slot);
    return ok;
}

// Opens `path` without following a link, and only as a regular file of the running user of at
// most `limit` bytes, whose status `st` receives. -1, with the reason in `why`, for anything else.
int OpenOwnFile(const std::string& path, std::size_t limit, struct stat& st, std::string& why) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = errno == ELOOP
                  ? std::string(platform::Translate("the portal's picture is a symbolic link"))
                  : platform::FillIn(
                        platform::Translate("the portal's picture could not be opened: %s"),
                        {platform::ErrorWords(errno)});
        return -1;
    }
    if (fstat(fd, &st) != 0)
        why = platform::Translate("the portal's picture could not be examined");
    else if (!S_ISREG(st.st_mode))
        why = platform::Translate("the portal's picture is not a regular file");
    else if (st.st_uid != geteuid())
        why = platform::Translate("the portal's picture belongs to another user");
    else if (static_cast<std::uint64_t>(st.st_size) > limit)
        why = platform::Translate("the portal's picture is too large");
    else
        return fd;
    close(fd);
    return -1;
}

}  // namespace

bool TakePortalFile(const std::string& path, std::size_t limit, std::string& bytes,
                    std::string* why) {
    bytes.clear();
    struct stat st {};
    std::string reason;
    const int fd = OpenOwnFile(path, limit, st, reason);
    if (fd < 0) {
        if (why) *why = reason;
        return false;
    }
    bytes.assign(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    bytes.resize(got);
    if (got == 0) {
        if (why) *why = platform::Translate("the portal's picture is empty");
        return false;
    }
    // Removed only while the name still leads to the file that was read.
    struct stat now {};
    if (lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino)
        unlink(path.c_str());
    return true;
}

namespace {

// On KDE Plasma, whose portal saves its picture into the pictures folder and answers only "1"
// when that folder is missing: true with the words that say so when it is. Elsewhere false.
bool PicturesFolderMissing(std::string& why) {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    const char* home = std::getenv("HOME");
    if (!desktop || !IsKdeDesktop(desktop) || !home || *home != '/') return false;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string configFolder =
        config && *config == '/' ? std::string(config) : std::string(home) + "/.config";
    std::string userDirs;
    if (platform::ReadRegularFile(configFolder + "/user-dirs.dirs", userDirs, 64 * 1024) !=
        platform::ReadResult::Ok)
        userDirs.clear();
    const std::string folder = PicturesFolder(userDirs, home);
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0 || errno != ENOENT) return false;
    why = PicturesFolderMissingWords(folder);
    return true;
}

// The most pixels the portal's picture of `box` may have: twice each side of what the outputs
// show at `scale`, room for a compositor that draws at a larger scale than it reports. A file
// that claims more is refused before its rows are allocated.
std::int64_t LargestPortalPicture(const MonitorRect& box, double scale) {
    const double side = 2 * std::max(scale, 1.0);
    return static_cast<std::int64_t>(box.width * side + 1) *
           static_cast<std::int64_t>(box.height * side + 1);
}

// The portal's picture of the desktop cropped to `monitors` at `scale` into `target`.
bool CapturePortalPicture(std::span<const MonitorRect> monitors, RgbTarget& target, double scale,
                          std::string& why) {
    if (PicturesFolderMissing(why)) return false;
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) {
        why = platform::Translate("there is no session bus to reach the desktop portal");
        return false;
    }
    std::string path;
    const bool requested = RequestScreenshot(bus, path, why);
    sd_bus_flush_close_unref(bus);
    if (!requested) return false;
    std::string bytes;
    if (!TakePortalFile(path, kLargestPortalFile, bytes, &why)) return false;
    // The monitors' places in the picture, whose (0, 0) is the box's top-left.
    const MonitorRect box = BoundingBox(monitors);
    const auto png =
        DecodePng(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                  LargestPortalPicture(box, scale));
    if (!png) {
        why = platform::Translate("the portal's picture is not a readable PNG");
        return false;
    }
    std::vector<MonitorRect> places;
    for (const MonitorRect& m : monitors) places.push_back(ScaledRect(m, box, scale));
    if (!CropDesktop(png->View(), places, target)) {
        why = platform::Translate("the portal's picture does not fit the monitors");
        return false;
    }
    return true;
}

}  // namespace

bool CaptureWithPortal(std::span<const MonitorRect> monitors, RgbTarget& target, double scale,
                       std::string* why) {
    std::string reason;
    const bool ok = CapturePortalPicture(monitors, target, scale, reason);
    if (!ok && why) *why = reason;
    return ok;
}

}  // namespace platform::wayland
