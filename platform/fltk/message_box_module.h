// What velmora_message_box.so offers its loader: the file's name beside the program and the one C
// entry point, which shows the toolkit's message box.
#pragma once

namespace platform::message_box {

inline constexpr const char* kModuleFile = "velmora_message_box.so";

}  // namespace platform::message_box

extern "C" {
// Shows the modal box titled `title` with `text` and an OK button and returns once it is
// dismissed (as platform::ShowMessageBox). Both are NUL-terminated and never null.
void velmora_show_message_box(const char* title, const char* text);
}
