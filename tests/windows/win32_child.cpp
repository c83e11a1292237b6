// A stand-in program for the process tests: sleeps for VELMORA_CHILD_MS milliseconds (300
// when unset), then ends with exit code 7.
#include <windows.h>

#include <cwchar>

int main() {
    wchar_t value[16] = {};
    DWORD ms = 300;
    if (GetEnvironmentVariableW(L"VELMORA_CHILD_MS", value, 16) > 0)
        ms = std::wcstoul(value, nullptr, 10);
    Sleep(ms);
    return 7;
}
