// The settings dialog's zoom animation between the point (ZoomX, ZoomY) and a window.
#pragma once

class Fl_Window;

namespace Zentrova_B {

// From the point (ZoomX, ZoomY) to the window's rectangle on the screen.
void ZoomOpen(Fl_Window* window);
// From the window's rectangle back to the point.
void ZoomClose(Fl_Window* window);

}  // namespace Zentrova_B
