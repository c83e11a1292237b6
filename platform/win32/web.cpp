// Opening a web address with the user's browser through the shell.
#include <windows.h>
// After windows.h: the shell's header needs its types.
#include <shellapi.h>

#include "platform/base.h"
#include "platform/win32/win32_text.h"

namespace platform {

void OpenWebAddress(std::string_view address) {
    const std::wstring wide = win32::Widen(address);
    if (wide.empty()) return;
    // Failure (no browser, a refused address) is silent, as on every system.
    ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace platform
