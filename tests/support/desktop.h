// Test support for running the real programs: a private Xvfb display per test (-displayfd, so
// that parallel runs never share one), child processes with their own environment and time
// limits, and small wrappers around xdotool and screenshots.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

using namespace std::chrono_literals;

// An Xvfb server of its own, stopped when the object goes.
class VirtualDisplay {
  public:
    explicit VirtualDisplay(int width = 1024, int height = 768, int depth = 24,
                            const std::vector<std::string>& extraArguments = {});
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool ok() const { return !name_.empty(); }
    const std::string& name() const { return name_; }  // ":N"

  private:
    pid_t pid_ = -1;
    std::string name_;
};

// A child process. Killed (SIGKILL) and reaped when the object goes, unless it has ended.
class Child {
  public:
    Child(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    // The exit code (128 + signal for a signalled end), or nothing when still running after
    // `timeout`.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    bool Running();
    void Kill();

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Runs a shell command to its end and returns what it printed on standard output.
std::string Shell(const std::string& command, int* exitCode = nullptr);

// Polls `condition` every 20 ms until it holds or `timeout` has passed.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// The first window id (decimal) on `display` whose name is exactly `title`, or 0.
std::uintptr_t FindWindow(const std::string& display, const std::string& title);

// Saves the whole screen, or one window, as a PNG (ImageMagick's import). True on success.
bool Screenshot(const std::string& display, const std::string& pngPath, std::uintptr_t window = 0);

// Folder for pictures a test run keeps for people to look at: $VELMORA_ARTIFACTS, else
// <build>/artifacts. Created when missing.
std::string ArtifactFolder();

// A fresh empty temporary folder, removed with the object.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace testsupport
