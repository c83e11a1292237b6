// A headless sway session for the tests (see wayland_session.h).
#include "wayland_session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "desktop.h"

namespace testsupport {
namespace {

const std::string kScript = std::string(VELMORA_SOURCE_DIR) + "/tests/support/wayland-session.sh";

// `text` as one word of a POSIX shell command.
std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

}  // namespace

WaylandSession::WaylandSession(const WaylandSessionOptions& options) {
    char pattern[] = "/tmp/velmora-wayland-XXXXXX";
    if (!mkdtemp(pattern)) {
        failure_ = "no temporary folder";
        return;
    }
    dir_ = pattern;
    // The session's user reads its configuration here and keeps its runtime folder below.
    chmod(dir_.c_str(), 0755);
    std::string command =
        "WAYLAND_FILTER=" + Quoted(std::string(VELMORA_BIN_DIR) + "/velmora_wayland_filter") + " " +
        Quoted(kScript) + " start " + Quoted(dir_) + " --size " + std::to_string(options.width) +
        "x" + std::to_string(options.height) + " --scale " + std::to_string(options.scale) +
        " --background " + Quoted(options.background) + " --owner " + std::to_string(getpid());
    if (!options.portal) command += " --no-portal";
    if (!options.screencopy) command += " --no-screencopy";
    int code = -1;
    const std::string out = Shell(command + " 2>&1", &code);
    if (code != 0) {
        failure_ = out;
        return;
    }
    std::istringstream lines(ReadFile(dir_ + "/env"));
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) env_[line.substr(0, eq)] = line.substr(eq + 1);
    }
    uid_ = static_cast<uid_t>(std::atoi(Get("SESSION_UID").c_str()));
    env_.erase("SESSION_UID");
    env_["HOME"] = dir_ + "/home";
    env_["XDG_CURRENT_DESKTOP"] = "sway";
    env_["XDG_SESSION_TYPE"] = "wayland";
    ok_ = !Get("WAYLAND_DISPLAY").empty() && !Get("DISPLAY").empty();
    if (!ok_) failure_ = "the session wrote no environment";
}

WaylandSession::~WaylandSession() {
    if (dir_.empty()) return;
    Shell(Quoted(kScript) + " stop " + Quoted(dir_) + " >/dev/null 2>&1");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::map<std::string, std::string> WaylandSession::Environment(
    const std::map<std::string, std::string>& extra) const {
    auto env = env_;
    for (const auto& [k, v] : extra) env[k] = v;
    return env;
}

std::string WaylandSession::Get(const std::string& name) const {
    const auto it = env_.find(name);
    return it == env_.end() ? std::string() : it->second;
}

std::vector<std::string> WaylandSession::AsUser(const std::vector<std::string>& argv) const {
    const std::string id = std::to_string(uid_);
    std::vector<std::string> out = {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id,
                                    "--clear-groups"};
    out.insert(out.end(), argv.begin(), argv.end());
    return out;
}

std::string WaylandSession::UserFolder(const std::string& name) const {
    const std::string path = dir_ + "/" + name;
    mkdir(path.c_str(), 0700);
    if (chown(path.c_str(), uid_, uid_) != 0) return {};
    return path;
}

std::string WaylandSession::UserShell(const std::string& command, int* exitCode) const {
    return Shell(Quoted(kScript) + " run " + Quoted(dir_) + " sh -c " + Quoted(command), exitCode);
}

bool WaylandSession::Type(const std::vector<std::string>& wtypeArguments) const {
    std::string command = "WAYLAND_DISPLAY=" + Quoted(Get("WAYLAND_DISPLAY")) + " wtype -s 300";
    for (const auto& a : wtypeArguments) command += " " + Quoted(a);
    int code = -1;
    Shell(command + " >/dev/null 2>&1", &code);
    return code == 0;
}

}  // namespace testsupport
