// Starting a program as a process of its own, without waiting for it.
#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"

extern char** environ;

namespace platform {

Process StartProgram(const std::string& path) {
    // The new program gets standard input, output and error only: descriptors opened by us or
    // by a library without close-on-exec (the sound output's among them) stay behind.
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return {};
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    const bool started = posix_spawn_file_actions_addclosefrom_np(&actions, 3) == 0 &&
                         posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started) return {};
    return {static_cast<std::uintptr_t>(pid), static_cast<std::int32_t>(pid)};
}

bool ProgramEnded(const Process& process) {
    if (!process.Started()) return true;
    int status = 0;
    const pid_t r = waitpid(static_cast<pid_t>(process.id), &status, WNOHANG);
    if (r == 0) return false;
    // EINTR: ask again next time. ECHILD: already reaped, or never ours to wait for.
    return r > 0 || errno != EINTR;
}

void ReleaseProgram(Process& process) {
    // A pid is no resource of ours: nothing to give back.
    process = {};
}

}  // namespace platform
