// The X11 test support: real programs under Xvfb (see desktop.h).
#include "desktop.h"

#include <X11/Xlib.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

std::vector<char*> CStrings(std::vector<std::string>& items) {
    std::vector<char*> out;
    for (auto& s : items) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra) {
    std::map<std::string, std::string> all;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const auto eq = entry.find('=');
        if (eq != std::string::npos) all[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [k, v] : extra) all[k] = v;
    std::vector<std::string> out;
    for (const auto& [k, v] : all) out.push_back(k + "=" + v);
    return out;
}

}  // namespace

VirtualDisplay::VirtualDisplay(int width, int height, int depth,
                               const std::vector<std::string>& extraArguments) {
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    std::vector<std::string> args = {
        "Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten",
        "tcp",  "-noreset",   "+extension",           "RANDR"};
    args.insert(args.end(), extraArguments.begin(), extraArguments.end());
    auto argv = CStrings(args);
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
}

VirtualDisplay::~VirtualDisplay() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(20ms);
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, WNOHANG);
    }
}

Child::Child(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env) {
    auto args = argv;
    auto envs = MergedEnvironment(env);
    auto cargs = CStrings(args);
    auto cenv = CStrings(envs);
    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);
        execve(cargs[0], cargs.data(), cenv.data());
        execvpe(cargs[0], cargs.data(), cenv.data());
        _exit(127);
    }
}

Child::~Child() {
    if (pid_ > 0 && !status_) {
        Kill();
    }
}

std::optional<int> Child::Wait(std::chrono::milliseconds timeout) {
    if (status_) return status_;
    const auto end = std::chrono::steady_clock::now() + TimeBound(timeout);
    while (true) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return status_;
        }
        if (r < 0) return std::nullopt;
        if (std::chrono::steady_clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(5ms);
    }
}

bool Child::Running() {
    return !Wait(0ms).has_value();
}

void Child::Kill() {
    if (pid_ <= 0 || status_) return;
    kill(pid_, SIGKILL);
    Wait(2000ms);
}

PrivateBus::PrivateBus(const std::string& folder, const std::string& name) {
    const std::string socket = folder + "/" + name;
    daemon_ = std::make_unique<Child>(std::vector<std::string>{
        "/usr/bin/dbus-daemon", "--config-file=/usr/share/dbus-1/session.conf", "--nofork",
        "--nopidfile", "--address=unix:path=" + socket});
    address_ = "unix:path=" + socket;
    ok_ = WaitUntil([&] { return std::filesystem::exists(socket); }, 5000ms);
}

FakeShield::FakeShield(const std::string& kind, const std::string& folder,
                       const std::map<std::string, std::string>& env, bool active)
    : report_(folder + "/shield-" + kind) {
    std::vector<std::string> argv{VELMORA_BIN_DIR "/velmora_fake_shield", kind, report_};
    if (active) argv.push_back("--active");
    child_ = std::make_unique<Child>(argv, env);
    ok_ = WaitUntil([&] { return ReadFile(report_).find("ready") != std::string::npos; }, 5000ms);
}

bool FakeShield::Turn(bool on) {
    const std::size_t lines = ++changes_ + 1;  // "ready" and one per change
    kill(child_->pid(), on ? SIGUSR1 : SIGUSR2);
    return WaitUntil(
        [&] {
            const std::string report = ReadFile(report_);
            return static_cast<std::size_t>(std::count(report.begin(), report.end(), '\n')) >=
                   lines;
        },
        5000ms);
}

std::string Shell(const std::string& command, int* exitCode) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (exitCode) *exitCode = -1;
        return out;
    }
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    const int status = pclose(pipe);
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

namespace {

// `title` as an anchored pattern for xdotool, which takes a regular expression.
std::string ExactPattern(const std::string& title) {
    std::string pattern = "^";
    for (char c : title) {
        if (std::strchr(".^$*+?()[]{}|\\", c)) pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

}  // namespace

std::uintptr_t FindWindow(const std::string& display, const std::string& title) {
    const std::string out = Shell("DISPLAY=" + display + " xdotool search --name '" +
                                  ExactPattern(title) + "' 2>/dev/null");
    return std::strtoul(out.c_str(), nullptr, 10);
}

std::uintptr_t FindVisibleWindow(const std::string& display, const std::string& title) {
    const std::string out = Shell("DISPLAY=" + display + " xdotool search --onlyvisible --name '" +
                                  ExactPattern(title) + "' 2>/dev/null");
    return std::strtoul(out.c_str(), nullptr, 10);
}

std::optional<std::array<int, 4>> WindowPlace(const std::string& display, std::uintptr_t window) {
    // Asked through xdotool, another process: safe from any thread of a test that runs a toolkit.
    std::istringstream shell(Shell("DISPLAY=" + display + " xdotool getwindowgeometry --shell " +
                                   std::to_string(window) + " 2>/dev/null"));
    std::array<int, 4> place{};
    int found = 0;
    for (std::string line; std::getline(shell, line);) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string name = line.substr(0, equals);
        const char* names[] = {"X", "Y", "WIDTH", "HEIGHT"};
        for (int i = 0; i < 4; ++i)
            if (name == names[i]) {
                place[i] = std::atoi(line.c_str() + equals + 1);
                found |= 1 << i;
            }
    }
    if (found != 0xF) return std::nullopt;
    return place;
}

std::vector<PaintedRect> Quarters(int x, int y, int width, int height,
                                  const std::array<std::uint32_t, 4>& colours) {
    const int left = width / 2, top = height / 2;
    return {{x, y, left, top, colours[0]},
            {x + left, y, width - left, top, colours[1]},
            {x, y + top, left, height - top, colours[2]},
            {x + left, y + top, width - left, height - top, colours[3]}};
}

PaintedDesktop::PaintedDesktop(const std::string& display, const std::vector<PaintedRect>& rects)
    : display_(XOpenDisplay(display.c_str())) {
    if (!display_) return;
    Display* d = display_;
    const Window root = DefaultRootWindow(d);
    const int w = DisplayWidth(d, 0), h = DisplayHeight(d, 0);
    const Pixmap p = XCreatePixmap(d, root, w, h, DefaultDepth(d, 0));
    const GC gc = XCreateGC(d, p, 0, nullptr);
    XSetForeground(d, gc, 0xFFFFFF);
    XFillRectangle(d, p, gc, 0, 0, w, h);
    for (const PaintedRect& r : rects) {
        XSetForeground(d, gc, r.rgb);
        XFillRectangle(d, p, gc, r.x, r.y, r.width, r.height);
    }
    XSetWindowBackgroundPixmap(d, root, p);
    XClearWindow(d, root);
    XFreeGC(d, gc);
    XSync(d, False);
}

PaintedDesktop::~PaintedDesktop() {
    if (display_) XCloseDisplay(display_);
}

bool Screenshot(const std::string& display, const std::string& pngPath, std::uintptr_t window) {
    const std::string target = window ? std::to_string(window) : std::string("root");
    int code = -1;
    Shell("DISPLAY=" + display + " import -silent -window " + target + " '" + pngPath +
              "' >/dev/null 2>&1",
          &code);
    return code == 0;
}

std::vector<pid_t> ChildrenOf(pid_t parent) {
    std::vector<pid_t> out;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string stat = ReadFile(entry.path() / "stat");
        const auto close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 2));
        std::string state;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent) out.push_back(std::stoi(name));
    }
    return out;
}

void SendCloseRequest(const std::string& display, std::uintptr_t window) {
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return;
    const auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window, False, NoEventMask, &ev);
    XSync(d, False);
    XSetErrorHandler(previous);
    XCloseDisplay(d);
}

}  // namespace testsupport
