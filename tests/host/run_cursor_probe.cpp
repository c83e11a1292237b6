// Preloaded into Velmora.scr by the run tests: records each pointer hide and show that reaches
// the X server (program name and call) in the file named by $VELMORA_CURSOR_LOG, then forwards
// the call. The server offers no way to ask whether the pointer is hidden, so tests read this.
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
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

}  // namespace

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
