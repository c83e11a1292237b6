// What velmora_message_box.so offers its loader: the file's name beside the program, its version
// (the build it comes from: a module of another build is refused, not called) and the one C
// entry point, which shows the toolkit's message box.
#pragma once

#include <string_view>

namespace platform::message_box {

inline constexpr const char* kModuleFile = "velmora_message_box.so";
inline constexpr const char* kVersionSymbol = "velmora_message_box_version";
// The program's version and a digest of this header, set by the build.
inline constexpr const char* kVersion = VELMORA_MESSAGE_BOX_MODULE_VERSION;

// The toolkit's modal box titled `title` with `text` and an OK button; returns once it is
// dismissed. What platform::ShowMessageBox does in a program that links the toolkit, and what
// the module shows for one that does not.
void ShowWithToolkit(std::string_view title, std::string_view text);

}  // namespace platform::message_box

extern "C" {
__attribute__((visibility("default"))) extern const char velmora_message_box_version[];
// Shows the modal box titled `title` with `text` and an OK button and returns once it is
// dismissed (as platform::ShowMessageBox). Both are NUL-terminated and never null.
void velmora_show_message_box(const char* title, const char* text);
}
