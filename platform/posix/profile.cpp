// The settings file on POSIX systems: they have no profile calls of their own, so the host
// reads and writes the file itself (host/profile.h).
#include "platform/base.h"

namespace platform {

ProfileCall ReadIniValue(std::string_view, std::string_view, const std::string&, std::string&) {
    return ProfileCall::NotOffered;
}

ProfileCall WriteIniValue(std::string_view, std::string_view, std::string_view, const std::string&,
                          std::string*) {
    return ProfileCall::NotOffered;
}

}  // namespace platform
