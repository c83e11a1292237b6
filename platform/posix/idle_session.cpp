// The idle companion's session: which displays the environment names, and opening the source of
// the input-free time that was chosen.
#include <cstdlib>

#include "platform/idle.h"
#include "platform/idle_backends.h"

namespace platform::idle {
namespace {

bool Named(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

}  // namespace

Session CurrentSession() {
    return {Named("WAYLAND_DISPLAY"), Named("DISPLAY")};
}

std::unique_ptr<Monitor> OpenMonitor(Source source, std::int64_t idleMs, std::string& error) {
    if (idleMs < 1 || idleMs > 0xffffffffLL) {
        error = "the idle time is out of range";
        return nullptr;
    }
    switch (source) {
        case Source::kXScreenSaver:
            return OpenXScreenSaver(error);
        default:
            error = "this idle source is not built in";
            return nullptr;
    }
}

}  // namespace platform::idle
