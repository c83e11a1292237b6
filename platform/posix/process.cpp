// Started programs: a process of its own with an argument list, its environment and standard
// streams as asked, tied to our life by a parent-death signal, leading a process group of its
// own or detached in a session of its own; asked how it stands without blocking, and ended on
// request (with its group).
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base.h"
#include "platform/common/for_tests.h"

extern char** environ;

namespace platform {
namespace {

// What the child tells its starter through the report pipe before its exec: a message of two
// ints, written whole (far below PIPE_BUF), so that the middle process of a detached start and
// the program itself may both write without mixing.
struct Report {
    enum Kind : int { kFailed = 1, kDetachedId = 2 };
    int kind = 0;
    int value = 0;  // kFailed: the errno; kDetachedId: the program's process id
};

// Everything the child needs, made before the fork: after it the child allocates nothing and
// calls only what is safe in a copy of a process that may have other threads (the sound
// output's, the settings' watch).
struct Prepared {
    std::string program;  // the path that is executed
    std::vector<std::string> arguments, environment;
    std::vector<char*> argv, envp;
    ProgramTie tie = ProgramTie::Untied;
    ProgramStreams streams = ProgramStreams::Ours;
    pid_t starter = 0;
    int report = -1;  // the report pipe's writing end
    int errors = -1;  // the errors pipe's writing end (ErrorsToPipe)
};

void Tell(int report, Report::Kind kind, int value) {
    const Report message{kind, value};
    [[maybe_unused]] const ssize_t n = write(report, &message, sizeof message);
}

[[noreturn]] void Fail(int report) {
    Tell(report, Report::kFailed, errno);
    _exit(127);
}

// The child's signals as a new program's: every handler back to the default (an ignored signal
// too), then nothing blocked. The starter blocked them all for the fork, so none of our handlers
// can run in the child before this.
void ResetSignals() {
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int s = 1; s < NSIG; ++s) sigaction(s, &byDefault, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

// Standard input, output and error as asked. Both pipes' ends are above 2 (see Pipe), so none of
// these moves covers another. The null device is opened without close-on-exec: it may land on
// one of 0-2 itself, and above them it goes with the rest (CloseTheRest).
void SetStreams(const Prepared& p) {
    if (p.streams == ProgramStreams::NullDevice) {
        const int null = open("/dev/null", O_RDWR);
        if (null < 0) Fail(p.report);
        for (int fd = 0; fd <= 2; ++fd)
            if (dup2(null, fd) != fd) Fail(p.report);
    }
    if (p.streams == ProgramStreams::ErrorsToPipe && dup2(p.errors, 2) != 2) Fail(p.report);
}

// Standard input, output and error only: descriptors opened by us or by a library without
// close-on-exec (the sound output's among them) stay behind. The report pipe moves to 3,
// close-on-exec, and goes with a successful exec.
void CloseTheRest(int& report) {
    if (report != 3) {
        if (dup2(report, 3) != 3) Fail(report);
        report = 3;
    }
    fcntl(report, F_SETFD, FD_CLOEXEC);
    syscall(SYS_close_range, 4u, UINT_MAX, 0u);
}

// A detached start forks once more: the middle process tells the program's id and ends at once
// (the starter reaps it), the program starts a session of its own and is adopted by the system.
void Detach(int report) {
    const pid_t program = _Fork();  // no fork handlers: safe here, unlike fork()
    if (program < 0) Fail(report);
    if (program > 0) {
        Tell(report, Report::kDetachedId, static_cast<int>(program));
        _exit(0);
    }
    setsid();
}

[[noreturn]] void BecomeProgram(Prepared& p) {
    if (p.tie == ProgramTie::EndsWithStarter) {
        // If the starter died before this line, no signal will come: end here instead.
        if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != p.starter) _exit(127);
    }
    if (p.tie == ProgramTie::OwnGroup && setpgid(0, 0) != 0) Fail(p.report);
    if (p.tie == ProgramTie::Detached) Detach(p.report);
    ResetSignals();
    SetStreams(p);
    CloseTheRest(p.report);
    execve(p.program.c_str(), p.argv.data(), p.envp.data());
    Fail(p.report);
}

// A pipe whose two ends are close-on-exec and above standard error, so that moving one onto 0-2
// in the child never lands on the other (a starter whose standard error was closed would
// otherwise get 2 from pipe2).
bool Pipe(int ends[2]) {
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    for (int i = 0; i < 2; ++i) {
        if (ends[i] > 2) continue;
        const int moved = fcntl(ends[i], F_DUPFD_CLOEXEC, 3);
        close(ends[i]);
        ends[i] = moved;
    }
    if (ends[0] >= 0 && ends[1] >= 0) return true;
    const int reason = errno;
    for (int i = 0; i < 2; ++i)
        if (ends[i] >= 0) close(ends[i]);
    errno = reason;
    return false;
}

void ClosePipe(int ends[2]) {
    for (int i = 0; i < 2; ++i)
        if (ends[i] >= 0) close(ends[i]);
    ends[0] = ends[1] = -1;
}

// The executable file `name` in a folder of PATH (the system's default path when PATH is unset),
// looked up the way execvp does; `name` itself when it names a folder. Empty, with errno, when
// there is none.
std::string FindProgram(const std::string& name) {
    if (name.empty()) {
        errno = ENOENT;
        return {};
    }
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/bin:/usr/bin";
    int reason = ENOENT;
    while (true) {
        const auto colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        const std::string candidate = (folder.empty() ? "." : std::string(folder)) + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
            reason = EACCES;
        }
        if (colon == std::string_view::npos) break;
        folders.remove_prefix(colon + 1);
    }
    errno = reason;
    return {};
}

// Our environment with each of `entries` ("NAME=value") over ours of that name.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& entries) {
    std::vector<std::string> result;
    for (char** e = environ; e && *e; ++e) {
        const std::string_view ours = *e;
        const std::string_view name = ours.substr(0, ours.find('='));
        bool replaced = false;
        for (const std::string& entry : entries)
            replaced = replaced || (entry.size() > name.size() && entry[name.size()] == '=' &&
                                    entry.compare(0, name.size(), name) == 0);
        if (!replaced) result.emplace_back(ours);
    }
    result.insert(result.end(), entries.begin(), entries.end());
    return result;
}

// The pointer arrays execve takes, over `strings`.
std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// False, with errno, when there is nothing to start.
bool Prepare(const ProgramStart& start, Prepared& p) {
    if (start.arguments.empty()) {
        errno = EINVAL;
        return false;
    }
    p.program = start.searchPath ? FindProgram(start.arguments[0]) : start.arguments[0];
    if (p.program.empty()) return false;
    p.arguments = start.arguments;
    p.environment = EnvironmentWith(start.environment);
    p.argv = Pointers(p.arguments);
    p.envp = Pointers(p.environment);
    p.tie = start.tie;
    p.streams = start.streams;
    p.starter = getpid();
    return true;
}

// What the child reported before its exec, or the pipe's end: read to the end, which comes
// when the program has been executed (close-on-exec) or every writer has ended.
void ReadReports(int report, int& failure, pid_t& detachedId) {
    Report message;
    while (true) {
        const ssize_t n = read(report, &message, sizeof message);
        if (n < 0 && errno == EINTR) continue;
        if (n != sizeof message) return;
        if (message.kind == Report::kFailed) failure = message.value;
        if (message.kind == Report::kDetachedId) detachedId = message.value;
    }
}

void Reap(pid_t pid) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

ProgramEnding EndingOf(int status) {
    if (WIFEXITED(status)) return {ProgramEnding::How::Exited, WEXITSTATUS(status)};
    return {ProgramEnding::How::Killed, WTERMSIG(status)};
}

// Nothing started, for `reason`: it stays the thread's errno (LastErrorText) and its words go
// to `why`.
Process NotStarted(int reason, std::string* why) {
    if (why) *why = platform::ErrorWords(reason);
    errno = reason;
    return {};
}

// Forks with every signal blocked, so that no handler of ours runs in the child before it has
// set them back to their defaults; the starter's own mask is restored at once.
pid_t ForkQuietly() {
    sigset_t all, ours;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &ours);
    const pid_t pid = fork();
    const int reason = errno;
    if (pid != 0) pthread_sigmask(SIG_SETMASK, &ours, nullptr);
    errno = reason;
    return pid;
}

// Waits for `process` to be reaped, at most `ms` milliseconds (forever when negative).
void WaitFor(Process& process, std::int64_t ms) {
    const std::int64_t end = MonotonicNanoseconds() + ms * 1000000;
    while (!ProgramStatus(process).Ended() && (ms < 0 || MonotonicNanoseconds() < end))
        SleepUntil(MonotonicNanoseconds() + 5000000);
}

}  // namespace

Process StartProgram(const ProgramStart& start, std::string* why) {
    Prepared p;
    if (!Prepare(start, p)) return NotStarted(errno, why);
    int report[2] = {-1, -1}, errors[2] = {-1, -1};
    if (!Pipe(report)) return NotStarted(errno, why);
    if (start.streams == ProgramStreams::ErrorsToPipe && !Pipe(errors)) {
        const int reason = errno;
        ClosePipe(report);
        return NotStarted(reason, why);
    }
    p.report = report[1];
    p.errors = errors[1];
    const pid_t pid = ForkQuietly();
    if (pid == 0) BecomeProgram(p);
    const int forkError = errno;
    close(report[1]);
    if (errors[1] >= 0) close(errors[1]);
    int failure = pid < 0 ? forkError : 0;
    pid_t detachedId = 0;
    if (pid > 0) ReadReports(report[0], failure, detachedId);
    close(report[0]);
    // The child of a failed start has ended (the middle of a detached one ends in any case):
    // reap it so that no zombie stays.
    if (pid > 0 && (failure != 0 || p.tie == ProgramTie::Detached)) Reap(pid);
    if (failure != 0) {
        if (errors[0] >= 0) close(errors[0]);
        return NotStarted(failure, why);
    }
    if (p.tie == ProgramTie::Detached)
        return {0, detachedId, {ProgramEnding::How::Unknown, 0}, p.tie, -1};
    return {static_cast<std::uintptr_t>(pid), static_cast<std::int32_t>(pid), {}, p.tie, errors[0]};
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
    // A process that has not been reaped keeps its id, and a group whose leader has not been
    // reaped keeps its number: the signals cannot reach another one.
    if (ProgramStatus(process).Ended()) return process.ending;
    const pid_t target = static_cast<pid_t>(process.id);
    const pid_t to = process.tie == ProgramTie::OwnGroup ? -target : target;
    kill(to, SIGTERM);
    WaitFor(process, graceMs);
    if (process.ending.Ended()) return process.ending;
    kill(to, SIGKILL);
    WaitFor(process, -1);
    return process.ending;
}

void ReleaseProgram(Process& process) {
    // A pid is no resource of ours: only the errors pipe is given back.
    if (process.errors >= 0) close(process.errors);
    process = {};
}

}  // namespace platform
