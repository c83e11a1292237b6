// Starting a program as a process of its own, without waiting for it.
#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>
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

bool ProgramEnded(std::int32_t pid) {
    if (pid <= 0) return true;
    int status = 0;
    const pid_t r = waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    if (r == 0) return false;
    // EINTR: ask again next time. ECHILD: already reaped, or never ours to wait for.
    return r > 0 || errno != EINTR;
}

}  // namespace platform
