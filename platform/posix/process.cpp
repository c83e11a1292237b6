// Started programs: a process of its own, without waiting for it, optionally tied to our life
// by a parent-death signal; asked how it stands without blocking, and ended on request.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "platform/common/for_tests.h"
#include "platform/platform.h"

extern char** environ;

namespace platform {
namespace {

// What a child does between fork and exec: only calls that are safe after a fork in a process
// that may have other threads (the sound output's). Reports a failure's errno on `report`.
[[noreturn]] void BecomeProgram(char* const argv[], int report, pid_t starter, ProgramTie tie) {
    if (tie == ProgramTie::EndsWithStarter) {
        // If the starter died before this line, no signal will come: end here instead.
        if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != starter) _exit(127);
    }
    // The caught end requests and a blocked mask are ours alone: the program starts afresh.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (const int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &byDefault, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Standard input, output and error only: descriptors opened by us or by a library without
    // close-on-exec (the sound output's among them) stay behind. The report pipe moves to 3,
    // close-on-exec, and goes with a successful exec.
    if (report != 3) {
        if (dup2(report, 3) != 3) _exit(127);
        report = 3;
    }
    fcntl(report, F_SETFD, FD_CLOEXEC);
    syscall(SYS_close_range, 4u, UINT_MAX, 0u);
    execve(argv[0], argv, environ);
    const int why = errno;
    [[maybe_unused]] const ssize_t n = write(report, &why, sizeof why);
    _exit(127);
}

// The errno the child reported before its exec failed, 0 once the exec has succeeded.
int ReadStartReport(int report) {
    int why = 0;
    ssize_t n;
    do n = read(report, &why, sizeof why);
    while (n < 0 && errno == EINTR);
    return n == sizeof why ? why : 0;
}

ProgramEnding EndingOf(int status) {
    if (WIFEXITED(status)) return {ProgramEnding::How::Exited, WEXITSTATUS(status)};
    return {ProgramEnding::How::Killed, WTERMSIG(status)};
}

// Nothing started, for `reason`: it stays the thread's errno (LastErrorText) and its words go
// to `why`.
Process NotStarted(int reason, std::string* why) {
    errno = reason;
    if (why) *why = platform::ErrorWords(reason);
    return {};
}

// Waits for `process` to be reaped, at most `ms` milliseconds (forever when negative).
void WaitFor(Process& process, std::int64_t ms) {
    const std::int64_t end = MonotonicNanoseconds() + ms * 1000000;
    while (!ProgramStatus(process).Ended() && (ms < 0 || MonotonicNanoseconds() < end))
        SleepUntil(MonotonicNanoseconds() + 5000000);
}

}  // namespace

Process StartProgram(const std::string& path, ProgramTie tie, std::string* why) {
    std::string program = path;
    char* const argv[] = {program.data(), nullptr};
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return NotStarted(errno, why);
    const pid_t starter = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        close(report[0]);
        BecomeProgram(argv, report[1], starter, tie);
    }
    const int forkError = errno;
    close(report[1]);
    if (pid < 0) {
        close(report[0]);
        return NotStarted(forkError, why);
    }
    const int failure = ReadStartReport(report[0]);
    close(report[0]);
    if (failure != 0) {
        // The child has ended already: reap it so that no zombie stays.
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return NotStarted(failure, why);
    }
    return {static_cast<std::uintptr_t>(pid), static_cast<std::int32_t>(pid), {}};
}

ProgramEnding ProgramStatus(Process& process) {
    if (!process.Started()) return {ProgramEnding::How::Unknown, 0};
    if (process.ending.Ended()) return process.ending;
    int status = 0;
    const pid_t r = waitpid(static_cast<pid_t>(process.id), &status, WNOHANG);
    if (r == 0 || (r < 0 && errno == EINTR)) return process.ending;  // ask again next time
    // ECHILD: reaped by someone else, or never ours to wait for.
    process.ending = r > 0 ? EndingOf(status) : ProgramEnding{ProgramEnding::How::Unknown, 0};
    return process.ending;
}

bool ProgramEnded(Process& process) {
    return ProgramStatus(process).Ended();
}

ProgramEnding EndProgram(Process& process, std::int64_t graceMs) {
    // A process that has not been reaped keeps its id: the signals cannot reach another one.
    if (ProgramStatus(process).Ended()) return process.ending;
    kill(static_cast<pid_t>(process.id), SIGTERM);
    WaitFor(process, graceMs);
    if (process.ending.Ended()) return process.ending;
    kill(static_cast<pid_t>(process.id), SIGKILL);
    WaitFor(process, -1);
    return process.ending;
}

void ReleaseProgram(Process& process) {
    // A pid is no resource of ours: nothing to give back.
    process = {};
}

}  // namespace platform
