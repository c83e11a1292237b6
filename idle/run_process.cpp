// The idle companion's runs (see run_process.h).
#include "run_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace idle {
namespace {

int ExitCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void SleepMs(long ms) {
    timespec t{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

}  // namespace

std::string OwnFolder() {
    std::string buffer(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return ".";
    buffer.resize(static_cast<std::size_t>(n));
    const auto slash = buffer.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : buffer.substr(0, slash);
}

bool Run::Start(const std::string& program, std::string& error) {
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
    std::string role = "/s";
    char* argv[] = {const_cast<char*>(program.c_str()), role.data(), nullptr};
    pid_t pid = 0;
    const int result = posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        error = "cannot start " + program + ": " + std::strerror(result);
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

}  // namespace idle
