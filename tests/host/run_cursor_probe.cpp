// Preloaded into Velmora.scr by the run tests: records each pointer hide and show that reaches
// the X server (program name and call) in the file named by $VELMORA_CURSOR_LOG, then forwards
// the call. The server offers no way to ask whether the pointer is hidden, so tests read this.
// With $VELMORA_HOLD_SAVE set to a file name, it also holds the picture's save at its first step
// (the permissions of the new temporary file) for up to 20 s, once it has made that file, so
// that a test can interrupt the save there.
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

void Record(const char* call) {
    const char* path = std::getenv("VELMORA_CURSOR_LOG");
    if (!path || !*path) return;
    char name[64] = "?";
    if (FILE* f = fopen("/proc/self/comm", "r")) {
        if (fgets(name, sizeof name, f)) name[strcspn(name, "\n")] = 0;
        fclose(f);
    }
    char line[128];
    const int n = snprintf(line, sizeof line, "%s %s\n", name, call);
    const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (n > 0 && n < static_cast<int>(sizeof line)) {
        [[maybe_unused]] const ssize_t w = write(fd, line, static_cast<size_t>(n));
    }
    close(fd);
}

using CursorCall = void (*)(Display*, Window);

// True when `fd` is a temporary file of the desktop's picture.
bool IsPictureTemporary(int fd) {
    char link[64], target[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target - 1);
    if (n <= 0) return false;
    target[n] = 0;
    return strstr(target, "/.Zentrova.bmp.") != nullptr;
}

}  // namespace

extern "C" int fchmod(int fd, mode_t mode) {
    const char* hold = std::getenv("VELMORA_HOLD_SAVE");
    if (hold && *hold && IsPictureTemporary(fd)) {
        const int marker = open(hold, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (marker >= 0) close(marker);
        for (int i = 0; i < 2000; ++i) usleep(10000);
    }
    using Call = int (*)(int, mode_t);
    static const auto real = reinterpret_cast<Call>(dlsym(RTLD_NEXT, "fchmod"));
    return real ? real(fd, mode) : -1;
}

extern "C" void XFixesHideCursor(Display* display, Window window) {
    Record("hide");
    static const auto real = reinterpret_cast<CursorCall>(dlsym(RTLD_NEXT, "XFixesHideCursor"));
    if (real) real(display, window);
}

extern "C" void XFixesShowCursor(Display* display, Window window) {
    Record("show");
    static const auto real = reinterpret_cast<CursorCall>(dlsym(RTLD_NEXT, "XFixesShowCursor"));
    if (real) real(display, window);
}
