// The renderer's run in one full-screen window of the toolkit over every monitor: X11, Windows,
// and a Wayland session whose outputs' own surfaces can't be had. The window, its keys, its loop
// and its frames; the scene does the drawing.
#pragma once

namespace renderer {

// Starts reading the picture, makes the window over the monitors the window system has now and
// runs until Escape, or until the user has been told that the picture can't be read. Returns the
// program's exit status: 0 after Escape, 1 without a picture.
int runInWindow(int& argc, char** argv);

// The window's display callback: one frame of the animation, paced to the display, or a black
// one while the picture is still being read. The drawing-speed benchmark draws with it in a
// window of its own.
void drawWindowFrame();

}  // namespace renderer
