// The idle companion's rules for runs that nobody may be watching, free of any system call:
// whether a run's capture would ask the desktop a question, what the user is told instead, and
// how a run that failed is told.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/idle.h"

namespace idle {

// True when `desktops` (XDG_CURRENT_DESKTOP: names separated by ':') names `name`, in any case.
bool DesktopNamed(std::string_view desktops, std::string_view name);

// True when a run's capture would go through GNOME's screenshot portal, which asks a person on
// the first call: a Wayland session of GNOME whose compositor (`globals`) offers no screen copy.
bool CaptureMayAsk(const platform::idle::Session& session, const std::vector<std::string>& globals);

// What the user is told, in the log and as a notification, when no run starts because of the
// stored answer `answer` (No or NotAsked).
struct Notice {
    std::string summary;
    std::string body;
};
Notice NoRunWithoutAnswer(platform::idle::ScreenshotAnswer answer);

// What the user is told once run `number` ended with `exitCode`, from the lines it wrote on
// standard error (the last few, at most about 1000 bytes): nothing for a run that went well or
// was ended (Escape, a signal), one notice for a run that failed without a word of its own.
std::optional<Notice> FailedRunNotice(int number, int exitCode,
                                      const std::vector<std::string>& lines);

// `text` with every byte that starts no valid UTF-8 sequence replaced by '?': what a desktop
// notification may carry.
std::string ValidUtf8(std::string_view text);

// Keeps the last `count` lines of what a run said, for FailedRunNotice.
class LastLines {
  public:
    explicit LastLines(std::size_t count) : count_(count) {}
    void Add(std::string line);
    void Clear() { lines_.clear(); }
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    std::size_t count_;
    std::vector<std::string> lines_;
};

}  // namespace idle
