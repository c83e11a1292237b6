// The modal "Error"-style message box, drawn with FLTK's own message dialog.
#include <FL/Fl.H>
#include <FL/fl_ask.H>

#include <string>

#include "platform/fltk/message_box_module.h"
#include "platform/fltk/toolkit.h"
#include "platform/platform.h"

namespace platform::message_box {

void ShowWithToolkit(std::string_view title, std::string_view text) {
    const std::string titleText(title);
    const std::string message(text);
    KeepToolkitPreferencesUntouched();
    fl_message_title(titleText.c_str());
    fl_close = "OK";
    // fl_message() treats its text as a printf format: hand it over as an argument so that a
    // "%" in a path is shown, not interpreted.
    fl_message("%s", message.c_str());
}

}  // namespace platform::message_box
