// The idle companion's runs: a program started as a process group of its own, watched without
// blocking, and ended with everything it started.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

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

// Our environment with platform::kUnattendedVariable set to "1" (replacing any value of ours).
std::vector<std::string> UnattendedEnvironment() {
    const std::string prefix = std::string(platform::kUnattendedVariable) + "=";
    std::vector<std::string> entries;
    for (char** e = environ; e && *e; ++e)
        if (std::strncmp(*e, prefix.c_str(), prefix.size()) != 0) entries.emplace_back(*e);
    entries.push_back(prefix + "1");
    return entries;
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
    int pipeEnds[2] = {-1, -1};
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        if (why)
            *why = platform::FillIn(platform::Translate("cannot start %s: %s"),
                                    {program, std::strerror(errno)});
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
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
    std::vector<std::string> environment = UnattendedEnvironment();
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int result = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (result != 0) {
        close(pipeEnds[0]);
        if (why)
            *why = platform::FillIn(platform::Translate("cannot start %s: %s"),
                                    {program, platform::ErrorWords(result)});
        return false;
    }
    CloseOutput();  // what an earlier run left unread is not this one's
    output_ = pipeEnds[0];
    fcntl(output_, F_SETFL, O_NONBLOCK);
    pid_ = pid;
    return true;
}

void Run::CloseOutput() {
    if (output_ >= 0) close(output_);
    output_ = -1;
    partial_.clear();
}

std::vector<std::string> Run::TakeOutput() {
    constexpr std::size_t kLongestLine = 4096;
    std::vector<std::string> lines;
    char buffer[4096];
    bool ended = output_ < 0;
    while (!ended) {
        const ssize_t n = read(output_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ended = n == 0 || errno != EAGAIN;
            break;
        }
        partial_.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = partial_.find('\n')) != std::string::npos;) {
            lines.push_back(partial_.substr(0, end));
            partial_.erase(0, end + 1);
        }
        for (; partial_.size() > kLongestLine; partial_.erase(0, kLongestLine))
            lines.push_back(partial_.substr(0, kLongestLine));
    }
    if (ended) {
        if (!partial_.empty()) lines.push_back(partial_);
        CloseOutput();
    }
    return lines;
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
