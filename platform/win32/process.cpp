// Starting a program as a process of its own, by its full path, keeping its handle to ask
// whether it has ended.
#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace platform {

Process StartProgram(const std::string& path) {
    const std::wstring program = win32::Widen(path);
    if (program.empty()) return {};
    // The command line is the quoted path alone, as the program's only argument.
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // The path is given as the application name: a renderer named .dll starts all the same, and
    // no search along PATH can pick another program.
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return {};
    CloseHandle(info.hThread);
    return Process{reinterpret_cast<std::uintptr_t>(info.hProcess),
                   static_cast<std::int32_t>(info.dwProcessId)};
}

bool ProgramEnded(const Process& process) {
    if (!process.Started() || !process.handle) return true;
    const HANDLE handle = reinterpret_cast<HANDLE>(process.handle);
    return WaitForSingleObject(handle, 0) != WAIT_TIMEOUT;
}

void ReleaseProgram(Process& process) {
    if (process.handle) CloseHandle(reinterpret_cast<HANDLE>(process.handle));
    process = Process{};
}

}  // namespace platform
