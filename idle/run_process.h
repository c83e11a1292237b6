// The idle companion's runs: Velmora.scr /s started as a process group of its own (the host and
// the renderer it starts), watched without blocking, and ended on request.
#pragma once

#include <sys/types.h>
#include <optional>
#include <string>

namespace idle {

// The folder of the running program, its symbolic links resolved ("." when unknown).
std::string OwnFolder();

class Run {
  public:
    Run() = default;
    ~Run() = default;
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // Starts `program` with the single argument "/s", with default signal handling and an empty
    // signal mask whatever ours are. False, with `error` set, when it could not be started.
    bool Start(const std::string& program, std::string& error);
    pid_t pid() const { return pid_; }
    // True while the started program has not ended; reaps it once it has.
    bool Going();
    // The exit code of the run that ended last (128 + signal for a signalled end).
    std::optional<int> lastExit() const { return lastExit_; }
    // Ends a going run and everything it started: SIGTERM to its process group, SIGKILL after
    // `graceMs` when still there. Returns at once when nothing is going.
    void End(int graceMs);

  private:
    pid_t pid_ = 0;
    std::optional<int> lastExit_;
};

}  // namespace idle
