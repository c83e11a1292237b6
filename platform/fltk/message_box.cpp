// The modal "Error"-style message box, drawn with FLTK's own message dialog.
#include <FL/Fl.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <string>

#include "platform/fltk/message_box_module.h"
#include "platform/fltk/toolkit.h"
#include "platform/platform.h"

namespace platform::message_box {
namespace {

// `text` with its lines broken at spaces so that none is wider than `limit` pixels in the
// current font. The toolkit's box takes its size from the longest line and only then wraps
// what does not fit the screen, hiding the lines that wrapping adds under its button.
std::string Wrapped(const std::string& text, double limit) {
    std::string out, line;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find_first_of(" \n", at), text.size());
        const std::string word = text.substr(at, end - at);
        const std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && fl_width(longer.c_str()) > limit) {
            out += line + "\n";
            line = word;
        } else {
            line = longer;
        }
        if (end == text.size() || text[end] == '\n') {
            out += line;
            if (end < text.size()) out += "\n";
            line.clear();
        }
        at = end + 1;
    }
    return out;
}

}  // namespace

void ShowWithToolkit(std::string_view title, std::string_view text) {
    const std::string titleText(title);
    KeepToolkitPreferencesUntouched();
    fl_open_display();
    fl_font(fl_message_font_, fl_message_size_ > 0 ? fl_message_size_ : FL_NORMAL_SIZE);
    const std::string message = Wrapped(std::string(text), std::clamp(Fl::w() - 200, 240, 600));
    fl_message_title(titleText.c_str());
    fl_close = "OK";
    // fl_message() treats its text as a printf format: hand it over as an argument so that a
    // "%" in a path is shown, not interpreted.
    fl_message("%s", message.c_str());
}

}  // namespace platform::message_box
