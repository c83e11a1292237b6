// The idle companion's runs: a program started as a process group of its own, watched without
// blocking, its standard error read line by line, and ended with everything it started.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/idle.h"

namespace platform::idle {

bool CanRun(const std::string& program, std::string* why) {
    if (access(program.c_str(), X_OK) == 0) return true;
    if (why)
        *why = platform::FillIn(platform::Translate("cannot run %s: %s"),
                                {program, platform::ErrorWords(errno)});
    return false;
}

Run::~Run() {
    CloseOutput();
}

bool Run::Start(const std::string& program, const std::string& argument, std::string* why) {
    platform::ProgramStart start;
    start.arguments = {program, argument};
    start.tie = platform::ProgramTie::OwnGroup;
    start.streams = platform::ProgramStreams::ErrorsToPipe;
    start.environment = {std::string(platform::kUnattendedVariable) + "=1"};
    std::string error;
    platform::Process started = platform::StartProgram(start, &error);
    if (!started.Started()) {
        if (why)
            *why = platform::FillIn(platform::Translate("cannot start %s: %s"), {program, error});
        return false;
    }
    CloseOutput();  // what an earlier run left unread is not this one's
    output_ = started.errors;
    started.errors = -1;
    fcntl(output_, F_SETFL, O_NONBLOCK);
    process_ = started;
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
    if (!process_.Started()) return false;
    const platform::ProgramEnding ending = platform::ProgramStatus(process_);
    if (!ending.Ended()) return true;
    lastEnding_ = ending;  // process_ keeps it too: asking again answers the same
    return false;
}

void Run::End(int graceMs) {
    if (!Going()) return;
    // The group is the host's own (see Start): the renderer it started is in it too.
    lastEnding_ = platform::EndProgram(process_, graceMs);
}

}  // namespace platform::idle
