// The idle tests' shared fixture: velmora-idle from a program folder of its own with the real
// Velmora.scr and Velmora.dll beside it, its standard error in a log, and what that log says
// about the runs it started.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "desktop.h"

namespace testidle {

using namespace testsupport;
using Clock = std::chrono::steady_clock;

inline std::int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// True when the process is gone, or ended and only waits to be reaped.
inline bool ProcessGone(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || stat.compare(close + 2, 1, "Z") == 0;
}

// Each fixture says where the companion runs (its display, compositor or bus) in Environment();
// the companion ends first when a case is over, before whatever it watched.
class CompanionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(folder_);
        for (const char* name : {"velmora-idle", "Velmora.scr", "Velmora.dll"})
            std::filesystem::copy_file(std::string(VELMORA_BIN_DIR "/") + name,
                                       folder_ + "/" + name);
    }
    void TearDown() override { companion_.reset(); }

    // The companion's environment: the session's, with ProgramEnvironment() in it.
    virtual std::map<std::string, std::string> Environment() const = 0;

    // What the programs need wherever they run: a private root and silent music.
    std::map<std::string, std::string> ProgramEnvironment() const {
        return {{"VELMORA_ROOT", temp_.path() + "/root"}, {"SDL_AUDIODRIVER", "dummy"}};
    }

    // Starts the companion with its standard error going to log_.
    void StartCompanion(const std::string& arguments) {
        companion_ = std::make_unique<Child>(
            std::vector<std::string>{
                "/bin/sh", "-c",
                "exec '" + folder_ + "/velmora-idle' " + arguments + " 2>'" + log_ + "'"},
            Environment());
    }

    int RunsLogged() const {
        std::istringstream lines(ReadFile(log_));
        int runs = 0;
        for (std::string line; std::getline(lines, line);)
            if (line.find(" started after ") != std::string::npos) ++runs;
        return runs;
    }

    // The host's process id from the last run line.
    pid_t LastRunPid() const {
        const std::string log = ReadFile(log_);
        const auto at = log.rfind("(pid ");
        return at == std::string::npos ? 0 : std::stoi(log.substr(at + 5));
    }

    bool WaitForRuns(int count, std::chrono::milliseconds timeout) const {
        return WaitUntil([&] { return RunsLogged() >= count; }, timeout);
    }

    TempFolder temp_;
    std::string folder_ = temp_.path() + "/program";
    std::string log_ = temp_.path() + "/idle.log";
    std::unique_ptr<Child> companion_;
};

}  // namespace testidle
