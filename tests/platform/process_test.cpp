// Started programs: the new process gets standard input, output and error and nothing else of
// ours, whether or not a descriptor was opened close-on-exec; how it ended is told and kept; it
// can be ended; and a tied program does not outlive the process that started it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base.h"
#include "platform/common/for_tests.h"
#include "test_support.h"

using namespace std::chrono_literals;

TEST(StartProgram, TheProgramInheritsOnlyTheStandardDescriptors) {
    testsupport::TempFolder temp;
    const std::string list = temp.path() + "/fds";
    setenv("VELMORA_FD_LIST", list.c_str(), 1);
    // As a library would leave them: one plain descriptor, one duplicated high up.
    const int plain = open("/dev/null", O_RDONLY);
    ASSERT_GE(plain, 0);
    const int high = dup2(plain, 200);
    ASSERT_EQ(high, 200);

    using Tie = platform::ProgramTie;
    using Streams = platform::ProgramStreams;
    for (const auto tie : {Tie::Untied, Tie::EndsWithStarter, Tie::OwnGroup, Tie::Detached}) {
        for (const auto streams : {Streams::Ours, Streams::NullDevice, Streams::ErrorsToPipe}) {
            std::filesystem::remove(list);
            platform::ProgramStart start;
            start.arguments = {FD_LIST_STUB};
            start.tie = tie;
            start.streams = streams;
            platform::Process stub = platform::StartProgram(start);
            ASSERT_TRUE(stub.Started());
            // A detached program is not ours to wait for: its list tells that it has run.
            if (tie != Tie::Detached) {
                EXPECT_TRUE(
                    testsupport::WaitUntil([&] { return platform::ProgramEnded(stub); }, 10s));
            }
            EXPECT_TRUE(testsupport::WaitUntil([&] { return std::filesystem::exists(list); }, 10s));
            platform::ReleaseProgram(stub);
            EXPECT_EQ(testsupport::ReadFile(list), "0\n1\n2\n")
                << static_cast<int>(tie) << " " << static_cast<int>(streams);
        }
    }
    close(plain);
    close(high);
    unsetenv("VELMORA_FD_LIST");
}

namespace {

using How = platform::ProgramEnding::How;

// A shell script in `folder` with `body`, made executable.
std::string Script(const testsupport::TempFolder& folder, const std::string& name,
                   const std::string& body) {
    const std::string path = folder.path() + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// True while `pid` runs: a process that has ended but waits to be reaped (by whoever adopted
// it) does not count.
bool Alive(pid_t pid) {
    const std::string stat = testsupport::ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const auto paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

}  // namespace

TEST(ProgramStatus, TellsAndKeepsHowTheProgramEnded) {
    testsupport::TempFolder temp;
    platform::Process exits = platform::StartProgram(Script(temp, "exits", "exit 5"));
    ASSERT_TRUE(exits.Started());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return platform::ProgramEnded(exits); }, 10s));
    EXPECT_EQ(exits.ending.how, How::Exited);
    EXPECT_EQ(exits.ending.code, 5);
    // Reaped once: later asks give the kept answer, not "unknown".
    EXPECT_EQ(platform::ProgramStatus(exits).how, How::Exited);
    EXPECT_EQ(platform::ProgramStatus(exits).code, 5);

    platform::Process killed = platform::StartProgram(Script(temp, "sleeps", "exec sleep 30"));
    ASSERT_TRUE(killed.Started());
    EXPECT_EQ(platform::ProgramStatus(killed).how, How::Running);
    ASSERT_EQ(kill(killed.id, SIGKILL), 0);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return platform::ProgramEnded(killed); }, 10s));
    EXPECT_EQ(killed.ending.how, How::Killed);
    EXPECT_EQ(killed.ending.code, SIGKILL);

    // Nothing started: no program, no status, and the system's reason.
    errno = 0;
    platform::Process missing = platform::StartProgram(temp.path() + "/missing");
    EXPECT_FALSE(missing.Started());
    EXPECT_EQ(platform::LastErrorText(), std::strerror(ENOENT));
    EXPECT_EQ(platform::ProgramStatus(missing).how, How::Unknown);
    platform::Process notExecutable = platform::StartProgram(temp.path());
    EXPECT_FALSE(notExecutable.Started());
    platform::ProgramStart searched;
    searched.arguments = {"velmora-no-such-program"};
    searched.searchPath = true;
    std::string why;
    EXPECT_FALSE(platform::StartProgram(searched, &why).Started());
    EXPECT_EQ(why, std::strerror(ENOENT));
    EXPECT_FALSE(platform::StartProgram(platform::ProgramStart{}).Started());
}

// The arguments arrive as they are (no shell reads them), the environment is ours with the
// given entries over ours, and standard error comes through the pipe, to its end.
TEST(StartProgram, HandsOverArgumentsEnvironmentAndStandardError) {
    testsupport::TempFolder temp;
    setenv("VELMORA_SET", "ours", 1);
    setenv("VELMORA_KEPT", "kept", 1);
    platform::ProgramStart start;
    start.arguments = {
        Script(temp, "tells", "echo \"$#|$1|$2|$VELMORA_SET|$VELMORA_KEPT\" >&2; exit 3"), "a  b",
        "*"};
    start.streams = platform::ProgramStreams::ErrorsToPipe;
    start.environment = {"VELMORA_SET=given"};
    platform::Process tells = platform::StartProgram(start);
    unsetenv("VELMORA_SET");
    unsetenv("VELMORA_KEPT");
    ASSERT_TRUE(tells.Started());
    ASSERT_GE(tells.errors, 0);
    EXPECT_EQ(fcntl(tells.errors, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
    std::string said;
    char buffer[256];
    for (ssize_t n; (n = read(tells.errors, buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    EXPECT_EQ(said, "2|a  b|*|given|kept\n");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return platform::ProgramEnded(tells); }, 10s));
    EXPECT_EQ(tells.ending.code, 3);
    platform::ReleaseProgram(tells);
    EXPECT_EQ(tells.errors, -1);
}

// A detached program runs in a session of its own on the null device, is no child of ours, and
// has nothing to watch or end.
TEST(StartProgram, ADetachedProgramIsNoneOfOurs) {
    testsupport::TempFolder temp;
    const std::string out = temp.path() + "/out";
    platform::ProgramStart start;
    start.arguments = {Script(temp, "apart",
                              "echo \"$$ $(cut -d' ' -f6 /proc/$$/stat) $(readlink /proc/$$/fd/0) "
                              "$(readlink /proc/$$/fd/2)\" > '" +
                                  out + ".part'; mv '" + out + ".part' '" + out + "'")};
    start.tie = platform::ProgramTie::Detached;
    start.streams = platform::ProgramStreams::NullDevice;
    platform::Process apart = platform::StartProgram(start);
    ASSERT_TRUE(apart.Started());
    EXPECT_EQ(platform::ProgramStatus(apart).how, How::Unknown);
    EXPECT_EQ(platform::EndProgram(apart, 0).how, How::Unknown);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return std::filesystem::exists(out); }, 10s));
    const std::string id = std::to_string(apart.id);
    EXPECT_EQ(testsupport::ReadFile(out), id + " " + id + " /dev/null /dev/null\n");
    EXPECT_EQ(waitpid(apart.id, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(EndProgram, AsksFirstAndKillsAProgramThatDoesNotListen) {
    testsupport::TempFolder temp;
    platform::Process polite = platform::StartProgram(Script(temp, "polite", "exec sleep 30"));
    ASSERT_TRUE(polite.Started());
    auto ending = platform::EndProgram(polite, 5000);
    EXPECT_EQ(ending.how, How::Killed);
    EXPECT_EQ(ending.code, SIGTERM);
    EXPECT_FALSE(Alive(polite.id));

    // SIGTERM ignored: killed once the grace time has passed. The ready file tells that the
    // script has set its trap.
    const std::string ready = temp.path() + "/ready";
    platform::Process deaf = platform::StartProgram(
        Script(temp, "deaf", "trap '' TERM; : > '" + ready + "'; while :; do sleep 0.05; done"));
    ASSERT_TRUE(deaf.Started());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return std::filesystem::exists(ready); }, 10s));
    ending = platform::EndProgram(deaf, 200);
    EXPECT_EQ(ending.how, How::Killed);
    EXPECT_EQ(ending.code, SIGKILL);

    // A program that had ended keeps its own ending.
    platform::Process quick = platform::StartProgram(Script(temp, "quick", "exit 4"));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return platform::ProgramEnded(quick); }, 10s));
    EXPECT_EQ(platform::EndProgram(quick, 100).code, 4);

    // A program of its own group goes with what it started, which would outlive it otherwise.
    const std::string started = temp.path() + "/started";
    platform::ProgramStart leader;
    leader.arguments = {Script(temp, "leader",
                               "sleep 30 & echo $! > '" + started + ".part'; mv '" + started +
                                   ".part' '" + started + "'; wait")};
    leader.tie = platform::ProgramTie::OwnGroup;
    platform::Process group = platform::StartProgram(leader);
    ASSERT_TRUE(group.Started());
    EXPECT_EQ(getpgid(group.id), group.id);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return std::filesystem::exists(started); }, 10s));
    const pid_t member = std::stoi(testsupport::ReadFile(started));
    EXPECT_EQ(platform::EndProgram(group, 5000).code, SIGTERM);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !Alive(member); }, 2s));
}

// A starter (a forked copy of this test) starts a long program, tied or not, and is killed; the
// tied program goes with it, the other lives on.
TEST(StartProgram, ATiedProgramEndsWhenItsStarterIsKilled) {
    testsupport::TempFolder temp;
    const std::string program = Script(temp, "long", "exec sleep 30");
    for (const auto tie : {platform::ProgramTie::EndsWithStarter, platform::ProgramTie::Untied}) {
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        const pid_t starter = fork();
        ASSERT_GE(starter, 0);
        if (starter == 0) {
            const platform::Process started = platform::StartProgram(program, tie);
            [[maybe_unused]] const ssize_t n = write(report[1], &started.id, sizeof started.id);
            pause();
            _exit(0);
        }
        close(report[1]);
        std::int32_t id = 0;
        ASSERT_EQ(read(report[0], &id, sizeof id), static_cast<ssize_t>(sizeof id));
        close(report[0]);
        ASSERT_GT(id, 0);
        EXPECT_TRUE(Alive(id));
        kill(starter, SIGKILL);
        waitpid(starter, nullptr, 0);
        if (tie == platform::ProgramTie::EndsWithStarter) {
            EXPECT_TRUE(testsupport::WaitUntil([&] { return !Alive(id); }, 2s));
        } else {
            EXPECT_FALSE(testsupport::WaitUntil([&] { return !Alive(id); }, 300ms));
            kill(id, SIGKILL);
        }
    }
}
