// The message box and the toolkit's display connection (library velmora_platform_fltk; the box
// alone, loaded as a module where it is first shown, in velmora_platform_message_box):
// platform/fltk on Linux, platform/win32 on Windows. Failures reach the caller as base.h says.
#pragma once

#include <string_view>

#include "platform/base.h"

namespace platform {

// ---- Message box (fltk/message_box.cpp; library velmora_platform_fltk) --------------------------

// A modal box titled `title` showing `text` with one OK button; returns once it is dismissed
// (Return, Escape, Space, OK or closing the window). The box shows on the monitor of the
// pointer, and its lines are broken to fit that monitor (message_lines.h). First the message goes
// whole to standard error as "Velmora: <title>: <text>" (WriteToStandardError), so that a box
// nobody saw, or one too small for it, loses nothing. velmora_platform_message_box offers the same
// box to a program without the toolkit: loaded from the program folder when first shown; where it
// can't be loaded, the line on standard error is all, and the call returns at once.
void ShowMessageBox(std::string_view title, std::string_view text);

// The same box for `owner`, a window of the program that waits for it: where the system places
// a box by its owner (Windows), on the owner's monitor; elsewhere as ShowMessageBox.
void ShowMessageBoxFor(NativeWindow owner, std::string_view title, std::string_view text);

// ---- Lost display (fltk/toolkit_display.cpp) ---------------------------------------------------

// The exit status the program ends with when its connection to the display is lost (the X
// server, or under XWayland the compositor, ended): 1 until set. Windows has no such
// connection to lose: there the call changes nothing.
void SetLostDisplayStatus(int status);

}  // namespace platform
