// The settings file on POSIX systems: they have no profile calls of their own, so the host
// reads and writes the file itself (host/profile.h).
#include "platform/platform.h"

namespace platform {

std::optional<std::string> ReadIniValue(std::string_view, std::string_view, const std::string&) {
    return std::nullopt;
}

std::optional<bool> WriteIniValue(std::string_view, std::string_view, std::string_view,
                                  const std::string&) {
    return std::nullopt;
}

}  // namespace platform
