// A stand-in for Velmora.dll in the run tests: opens a plain window titled "Zentrova_VC" and
// ends on Escape, like the renderer, with knobs the real one lacks. Environment:
//   VELMORA_STUB_COPY        copy the hand-off bitmap here first (what the renderer would read)
//   VELMORA_STUB_DELAY_MS    wait this long before opening the window (a slow start)
//   VELMORA_STUB_FAIL_EARLY  end with exit code 3 before any window exists
//   VELMORA_STUB_PIDFILE     write the process id here
//   VELMORA_STUB_EXIT_CODE   end with this exit code on Escape (an error of its own)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base.h"

namespace {

const char* Env(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}

}  // namespace

int main() {
    if (const char* pidFile = Env("VELMORA_STUB_PIDFILE")) std::ofstream(pidFile) << getpid();
    if (const char* copy = Env("VELMORA_STUB_COPY")) {
        std::error_code ec;
        std::filesystem::copy_file(platform::MapDrivePath("c:\\tolvik\\Zentrova.bmp"), copy,
                                   std::filesystem::copy_options::overwrite_existing, ec);
    }
    if (Env("VELMORA_STUB_FAIL_EARLY")) return 3;
    if (const char* delay = Env("VELMORA_STUB_DELAY_MS")) usleep(std::atoi(delay) * 1000);

    Display* d = XOpenDisplay(nullptr);
    if (!d) return 4;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 200, 150, 0, 0,
                                         WhitePixel(d, DefaultScreen(d)));
    const char* title = "Zentrova_VC";
    XStoreName(d, w, title);
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False),
                    XInternAtom(d, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title),
                    static_cast<int>(std::strlen(title)));
    XSelectInput(d, w, KeyPressMask);
    XMapRaised(d, w);
    XSync(d, False);
    for (;;) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == KeyPress && XLookupKeysym(&e.xkey, 0) == XK_Escape) break;
    }
    XCloseDisplay(d);
    const char* code = Env("VELMORA_STUB_EXIT_CODE");
    return code ? std::atoi(code) : 0;
}
