// A stand-in program for the process tests: writes its arguments, joined by '|', to the file
// VELMORA_CHILD_ARGS names when that is set, sleeps for VELMORA_CHILD_MS milliseconds (300 when
// unset), then ends with exit code 7.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int main(int argc, char** argv) {
    char file[MAX_PATH] = {};
    if (GetEnvironmentVariableA("VELMORA_CHILD_ARGS", file, MAX_PATH) > 0) {
        std::string joined;
        for (int i = 1; i < argc; ++i) joined += (i > 1 ? "|" : "") + std::string(argv[i]);
        if (FILE* out = std::fopen(file, "wb")) {
            std::fputs(joined.c_str(), out);
            std::fclose(out);
        }
    }
    wchar_t value[16] = {};
    DWORD ms = 300;
    if (GetEnvironmentVariableW(L"VELMORA_CHILD_MS", value, 16) > 0)
        ms = std::wcstoul(value, nullptr, 10);
    Sleep(ms);
    return 7;
}
