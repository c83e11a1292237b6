// The modal "Error"-style message box, drawn with FLTK's own message dialog.
#include <FL/Fl.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <string>

#include "platform/fltk/message_box_module.h"
#include "platform/fltk/toolkit.h"
#include "platform/message_lines.h"

namespace platform::message_box {

void ShowWithToolkit(std::string_view title, std::string_view text) {
    const std::string titleText(title);
    KeepToolkitPreferencesUntouched();
    fl_open_display();
    fl_font(fl_message_font_, fl_message_size_ > 0 ? fl_message_size_ : FL_NORMAL_SIZE);
    // The box shows at the pointer, kept inside the work area of the monitor the pointer is on:
    // its lines are broken to fit that monitor. The toolkit's box takes its size from the
    // longest line and only then wraps what does not fit, hiding the lines that its own wrapping
    // adds under its button: it gets lines that need no more wrapping.
    int x = 0, y = 0, width = 0, height = 0;
    Fl::screen_work_area(x, y, width, height);
    const std::string message =
        WrapToWidth(text, MessageLineLimit(width), [](std::string_view piece) {
            return fl_width(piece.data(), static_cast<int>(piece.size()));
        });
    fl_message_title(titleText.c_str());
    fl_close = "OK";
    // fl_message() treats its text as a printf format: hand it over as an argument so that a
    // "%" in a path is shown, not interpreted.
    fl_message("%s", message.c_str());
}

}  // namespace platform::message_box
