// The idle companion's session: which displays the environment names, and opening the source of
// the input-free time that was chosen.
#include <cstdlib>

#include "platform/base.h"
#include "platform/common/idle_backends.h"
#include "platform/idle.h"

namespace platform::idle {
namespace {

bool Named(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

}  // namespace

Session CurrentSession() {
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    return {Named("WAYLAND_DISPLAY"), Named("DISPLAY"), desktops ? desktops : "",
            Named("SWAYSOCK")};
}

std::optional<std::string> ReadUserConfigFile(const std::string& name) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::string folder;
    if (config && *config == '/')
        folder = config;
    else if (home && *home)
        folder = std::string(home) + "/.config";
    else
        return std::nullopt;
    std::string text;
    if (platform::ReadRegularFile(folder + "/" + name, text, std::size_t{1} << 20) !=
        platform::ReadResult::Ok)
        return std::nullopt;
    return text;
}

Opening OpenMonitor(Source source, std::int64_t idleMs, std::unique_ptr<Monitor>& monitor,
                    std::string* why) {
    monitor.reset();
    if (idleMs < 1 || idleMs > 0xffffffffLL)
        return NotOpened(Opening::Absent, platform::Translate("the idle time is out of range"),
                         why);
    switch (source) {
        case Source::kXScreenSaver:
            return OpenXScreenSaver(monitor, why);
        case Source::kExtIdleNotify:
        case Source::kKdeIdle:
            return OpenWaylandIdle(source, idleMs, monitor, why);
        case Source::kMutterIdleMonitor:
            return OpenMutterIdle(idleMs, monitor, why);
    }
    return NotOpened(Opening::Absent, platform::Translate("not built in"), why);
}

}  // namespace platform::idle
