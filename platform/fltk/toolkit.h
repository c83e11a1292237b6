// What the platform layer does for the toolkit itself (FLTK): its preference files and its
// connection to the window system. Only the toolkit's users include this: the forms runtime's
// FLTK backend and the platform's message box; product code never does.
#pragma once

namespace platform {

// Keeps the toolkit away from its preference files: its global options take their built-in
// defaults instead of being read from (and written back to) files outside our own folders.
// Called before the first widget is made; calling it again does nothing.
// (fltk/toolkit_options.cpp)
void KeepToolkitPreferencesUntouched();

// Opens the toolkit's connection to the window system, once, before its first window: the
// platform layer's own connection, so that the program talks to the server over one, with the
// toolkit's event loop lent to the platform layer (window watches and embedding read their
// events through it). Keeps the preference files untouched as above. `typedText` false: no
// window of this program takes typed text, so the toolkit may leave out what only typing needs
// (the compose table). Calling it again does nothing. Without a server the toolkit says so and
// ends the program. (fltk/toolkit_display.cpp)
void OpenToolkitDisplay(bool typedText);

}  // namespace platform
