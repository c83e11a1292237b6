// A stand-in for programs that meet the idle companion on $DISPLAY, until it is killed:
//   idle_probe reset        calls XResetScreenSaver once a second, as a media player does
//   idle_probe fullscreen   shows a window over the whole screen and gives it the focus
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(nullptr);
    if (!d || argc != 2) return 2;
    if (std::strcmp(argv[1], "reset") == 0) {
        while (true) {
            XResetScreenSaver(d);
            XFlush(d);
            sleep(1);
        }
    }
    if (std::strcmp(argv[1], "fullscreen") != 0) return 2;
    const int screen = DefaultScreen(d);
    const Window w = XCreateSimpleWindow(d, RootWindow(d, screen), 0, 0, DisplayWidth(d, screen),
                                         DisplayHeight(d, screen), 0, 0, BlackPixel(d, screen));
    XStoreName(d, w, "idle probe");
    XSelectInput(d, w, ExposureMask);
    XMapWindow(d, w);
    for (XEvent e;;) {
        XNextEvent(d, &e);
        if (e.type == Expose) {
            XSetInputFocus(d, w, RevertToPointerRoot, CurrentTime);
            XFlush(d);
            std::puts("focused");
            std::fflush(stdout);
        }
    }
}
