// The modal message box: the system's own, with the text shown through the wide call.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace platform {

void ShowMessageBox(std::string_view title, std::string_view text) {
    const std::wstring wideTitle = win32::Widen(title);
    const std::wstring wideText = win32::Widen(text);
    // Task-modal: no owner window is at hand, and the program's other windows must wait.
    MessageBoxW(nullptr, wideText.c_str(), wideTitle.c_str(),
                MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace platform
