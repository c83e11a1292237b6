// Starting a program as a process of its own, without waiting for it.
#include <spawn.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"

extern char** environ;

namespace platform {

std::int32_t StartProgram(const std::string& path) {
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return 0;
    return static_cast<std::int32_t>(pid);
}

}  // namespace platform
