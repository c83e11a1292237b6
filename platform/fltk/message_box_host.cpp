// The message box of a program that links the toolkit for its own windows (the host): the
// toolkit's box, shown at once.
#include "platform/base.h"
#include "platform/fltk/message_box_module.h"
#include "platform/message_box.h"

namespace platform {

void ShowMessageBox(std::string_view title, std::string_view text) {
    TellOnStandardError(title, text);
    message_box::ShowWithToolkit(title, text);
}

void ShowMessageBoxFor(NativeWindow, std::string_view title, std::string_view text) {
    // The toolkit places its box at the pointer, whatever window waits for it.
    ShowMessageBox(title, text);
}

}  // namespace platform
