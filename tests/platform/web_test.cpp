// Tests of opening a web address: xdg-open gets the address, the caller does not wait for it,
// and a system without xdg-open is no error.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/base.h"
#include "test_support.h"

namespace {

using namespace std::chrono_literals;

class PathGuard {
  public:
    explicit PathGuard(const std::string& path)
        : old_(std::getenv("PATH") ? std::getenv("PATH") : "") {
        setenv("PATH", path.c_str(), 1);
    }
    ~PathGuard() { setenv("PATH", old_.c_str(), 1); }

  private:
    std::string old_;
};

TEST(Web, OpensTheAddressWithXdgOpenWithoutWaiting) {
    testsupport::TempFolder bin;
    const std::string log = bin.path() + "/log";
    const std::string fake = bin.path() + "/xdg-open";
    std::ofstream(fake) << "#!/bin/sh\nsleep 2\necho \"$#:$1\" > " << log << "\n";
    chmod(fake.c_str(), 0755);

    PathGuard path(bin.path() + ":/usr/bin:/bin");
    const auto start = std::chrono::steady_clock::now();
    platform::OpenWebAddress("https://velmora.example.org/a b");
    EXPECT_LT(std::chrono::steady_clock::now() - start, testsupport::TimeBound(1s));
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !testsupport::ReadFile(log).empty(); }, 10s));
    EXPECT_EQ(testsupport::ReadFile(log), "1:https://velmora.example.org/a b\n");
}

// The children this process has (not yet reaped ones included), from /proc.
std::string Children() {
    return testsupport::ReadFile("/proc/self/task/" + std::to_string(getpid()) + "/children");
}

TEST(Web, MissingXdgOpenReturnsAtOnceAndLeavesNoProcessBehind) {
    testsupport::TempFolder empty;
    PathGuard path(empty.path());
    const std::string before = Children();
    const auto start = std::chrono::steady_clock::now();
    platform::OpenWebAddress("https://velmora.example.org/");
    EXPECT_LT(std::chrono::steady_clock::now() - start, testsupport::TimeBound(1s));
    // The helper whose exec failed ends on its own; none of it lingers as our child.
    EXPECT_TRUE(testsupport::WaitUntil([&] { return Children() == before; }, 5s));
}

}  // namespace
