// The idle companion's runs: a program started as a process group of its own, watched without
// blocking, and ended with everything it started.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/idle.h"
#include "platform/platform.h"

extern char** environ;

namespace platform::idle {
namespace {

int ExitCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void SleepMs(std::int64_t ms) {
    SleepUntil(MonotonicNanoseconds() + ms * 1000000);
}

}  // namespace

bool CanRun(const std::string& program, std::string* why) {
    if (access(program.c_str(), X_OK) == 0) return true;
    if (why)
        *why = platform::FillIn(platform::Translate("cannot run %s: %s"),
                                {program, platform::ErrorWords(errno)});
    return false;
}

bool Run::Start(const std::string& program, const std::string& argument, std::string* why) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    std::string word = argument;
    char* argv[] = {const_cast<char*>(program.c_str()), word.data(), nullptr};
    pid_t pid = 0;
    const int result = posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        if (why)
            *why = platform::FillIn(platform::Translate("cannot start %s: %s"),
                                    {program, platform::ErrorWords(result)});
        return false;
    }
    pid_ = pid;
    return true;
}

bool Run::Going() {
    if (pid_ <= 0) return false;
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0 || (r < 0 && errno == EINTR)) return true;
    lastExit_ = r == pid_ ? std::optional<int>(ExitCode(status)) : std::nullopt;
    pid_ = 0;
    return false;
}

void Run::End(int graceMs) {
    if (!Going()) return;
    // The group is the host's own (see Start): the renderer it started is in it too.
    kill(-pid_, SIGTERM);
    for (int waited = 0; waited < graceMs && Going(); waited += 10) SleepMs(10);
    if (pid_ > 0) {
        kill(-pid_, SIGKILL);
        while (Going()) SleepMs(5);
    }
}

}  // namespace platform::idle
