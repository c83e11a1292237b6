// Starting a program: the new process gets standard input, output and error and nothing else of
// ours, whether or not a descriptor was opened close-on-exec.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/platform.h"
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

    platform::Process stub = platform::StartProgram(FD_LIST_STUB);
    ASSERT_TRUE(stub.Started());
    EXPECT_TRUE(testsupport::WaitUntil([&] { return platform::ProgramEnded(stub); }, 10s));
    platform::ReleaseProgram(stub);
    EXPECT_EQ(testsupport::ReadFile(list), "0\n1\n2\n");
    close(plain);
    close(high);
    unsetenv("VELMORA_FD_LIST");
}
