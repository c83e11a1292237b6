// A stand-in for the system's screensaver settings page in the preview test: a window titled
// "Velmora Preview Parent" with a client area of the given size, whose handle it prints in
// decimal as the system would pass it after /p. Every half second it prints the child windows
// it holds ("child <title> <width>x<height> <x>,<y>", once each): a preview drawn by another
// process can't be seen under Wine, so the test checks the embedding from here. It destroys
// its window after the given number of milliseconds (as the page does when it closes) and ends
// half a second later.
//   preview_parent.exe WIDTH HEIGHT LIFETIME_MS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT_PTR kLookTimer = 2;

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    static std::set<HWND> printed;
    if (!printed.insert(child).second) return TRUE;
    wchar_t title[64] = {};
    GetWindowTextW(child, title, 64);
    RECT r{};
    GetWindowRect(child, &r);
    POINT origin{r.left, r.top};
    ScreenToClient(GetParent(child), &origin);
    std::printf("child %ls %ldx%ld %ld,%ld\n", title, r.right - r.left, r.bottom - r.top, origin.x,
                origin.y);
    std::fflush(stdout);
    return TRUE;
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kCloseTimer) {
        KillTimer(window, kCloseTimer);
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_TIMER && wParam == kLookTimer) {
        EnumChildWindows(window, PrintChild, 0);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: preview_parent WIDTH HEIGHT LIFETIME_MS\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    const UINT lifetime = static_cast<UINT>(std::atoi(argv[3]));
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));
    wc.lpszClassName = L"VelmoraPreviewParent";
    RegisterClassW(&wc);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Velmora Preview Parent", style, 0, 0,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    std::fflush(stdout);
    SetTimer(window, kCloseTimer, lifetime, nullptr);
    SetTimer(window, kLookTimer, 500, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Sleep(500);
    return 0;
}
