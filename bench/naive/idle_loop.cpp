// The yardstick for the host's watch: the toolkit's event loop with one hidden window and one
// 100 ms timer that does nothing. What it costs while it waits is the least any program built
// on the toolkit's loop pays for a 100 ms rhythm on this display.
//   idle_loop   (runs until it is killed)
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

namespace {

void Tick(void*) {
    Fl::repeat_timeout(0.1, Tick);
}

}  // namespace

int main() {
    fl_open_display();
    Fl_Window window(100, 100, "idle_loop");  // never shown, like the host's full-screen form
    Fl::add_timeout(0.1, Tick);
    for (;;) Fl::wait(1e6);
}
