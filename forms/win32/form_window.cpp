// Forms, timers and the message loop on Win32 (see forms.h): each form a top-level window sized
// by its client area, hidden until shown and findable by its title meanwhile; its background and
// windowless controls painted through an off-screen canvas; timers on a message-only window;
// the loop's wait on messages and on the request to end the program; the program's pointer look;
// ending the program.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <set>
#include <utility>

#include "forms/win32/win32_form.h"
#include "platform/base.h"

namespace forms {
namespace win32 {
namespace {

HCURSOR programCursor = nullptr;

Form::Native* NativeOf(HWND window) {
    return reinterpret_cast<Form::Native*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    Form::Native* native = NativeOf(window);
    if (!native || !native->window) return DefWindowProcW(window, message, wParam, lParam);
    return native->Handle(message, wParam, lParam);
}

// ---- Timers ------------------------------------------------------------------------------------

// Timers tick on a message-only window, each under its own address as the timer id. A timer
// counts down once per Arm(); the tick kills the system timer before the handler runs, so a
// handler that runs a nested loop (a message box) never sees its own timer again.
std::set<Timer*>& ArmedTimers() {
    static std::set<Timer*> armed;
    return armed;
}

LRESULT CALLBACK TimerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_TIMER) return DefWindowProcW(window, message, wParam, lParam);
    KillTimer(window, wParam);
    auto* timer = reinterpret_cast<Timer*>(wParam);
    // A tick already queued for a timer stopped or destroyed meanwhile is dropped.
    if (ArmedTimers().erase(timer) == 0) return 0;
    timer->Fire();
    return 0;
}

HWND TimerWindow() {
    static HWND window = [] {
        const wchar_t* name = RegisterWindowClass(L"VelmoraFormsTimers", TimerProc, false, false);
        return CreateWindowExW(0, name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Instance(),
                               nullptr);
    }();
    return window;
}

// Window styles for a form's style; `child` once embedded in another window.
DWORD StyleFor(const FormStyle& style) {
    if (!style.titleBar || style.unmanaged) return WS_POPUP | WS_CLIPCHILDREN;
    DWORD s = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (!style.fixedSize) s |= WS_THICKFRAME | WS_MAXIMIZEBOX;
    return s;
}

DWORD ExStyleFor(const FormStyle& style) {
    return style.unmanaged ? WS_EX_TOOLWINDOW : WS_EX_APPWINDOW;
}

// The outer size of a window whose client area is width x height.
SIZE OuterSize(HWND window, int width, int height) {
    RECT r{0, 0, width, height};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

int ButtonOf(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            return kLeftButton;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return kMiddleButton;
        default:
            return kRightButton;
    }
}

// ---- Requests to end -----------------------------------------------------------------------

// The event set by the first request to end the program and its handler, until that has run.
HANDLE endRequested = nullptr;
std::function<void()> endHandler;

// Runs the handler once the request has come; true when it ran.
bool ServeEndRequest() {
    if (!endRequested || WaitForSingleObject(endRequested, 0) != WAIT_OBJECT_0) return false;
    endRequested = nullptr;
    const std::function<void()> handler = std::move(endHandler);
    endHandler = nullptr;
    if (handler) handler();
    return true;
}

// Sleeps until a message arrives, the request to end comes or `ms` have passed.
void AwaitMessage(DWORD ms) {
    MsgWaitForMultipleObjectsEx(endRequested ? 1 : 0, &endRequested, ms, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
}

// Handles every waiting message and a request to end that has come; false when there was none.
bool Pump() {
    bool any = ServeEndRequest();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        any = true;
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return true;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return any;
}

// Waits for the next message or the request to end and handles it; false on WM_QUIT.
bool HandleNext() {
    MSG msg;
    while (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (ServeEndRequest()) return true;
        AwaitMessage(INFINITE);
    }
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

}  // namespace

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC procedure, bool cursor, bool icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = Instance();
    if (cursor) wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    if (icon) wc.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(1));
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
    return name;
}

const wchar_t* FormClass() {
    static const wchar_t* name = RegisterWindowClass(L"VelmoraForm", FormProc, true, true);
    return name;
}

HCURSOR ProgramCursor() {
    return programCursor;
}

Placement PlaceIn(Form::Native* native, Panel* in) {
    return {native, in ? dynamic_cast<const Element*>(in) : nullptr};
}

Rect ToForm(const Placement& at, const Rect& local) {
    if (!at.container) return local;
    const Rect client = at.container->ClientArea();
    return {client.x + local.x, client.y + local.y, local.width, local.height};
}

Rect ClipOf(const Placement& at) {
    if (!at.container) return {0, 0, 0x7FFF, 0x7FFF};
    return Intersect(at.container->ClientArea(), at.container->VisibleRect());
}

}  // namespace win32

// ---- The form's window -----------------------------------------------------------------------

using win32::Element;

Form::Native::~Native() {
    // The window may be going from inside one of its own messages: it forgets this native part
    // first, so that the messages of its destruction find nothing to call. The controls go
    // before it, each with its own child window.
    if (window) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    pressed = nullptr;
    elements.clear();
    controls.clear();
    if (window) {
        if (GetCapture() == window) ReleaseCapture();
        DestroyWindow(window);
        window = nullptr;
    }
    if (icon) DestroyIcon(icon);
}

void Form::Native::ReportSize() {
    RECT client{};
    GetClientRect(window, &client);
    if (sizeReported && client.right == reportedWidth && client.bottom == reportedHeight) return;
    sizeReported = true;
    reportedWidth = client.right;
    reportedHeight = client.bottom;
    form->Form_Resize();
}

void Form::Native::PaintLayers(win32::Canvas& canvas) const {
    const Rect area = canvas.Area();
    canvas.Fill(area, back);
    const int last = std::min<int>(static_cast<int>(rows.size()), area.y + area.height);
    for (int y = std::max(0, area.y); y < last; ++y)
        canvas.HorizontalLine(area.x, area.x + area.width - 1, y, rows[y]);
    for (const Element* e : elements) {
        const Rect visible = e->VisibleRect();
        if (visible.width <= 0 || visible.height <= 0) continue;
        canvas.ClipTo(visible);
        e->Paint(canvas);
        canvas.ResetClip();
    }
}

void Form::Native::Invalidate(const Rect& r) const {
    if (!window) return;
    const RECT d{r.x, r.y, r.x + r.width, r.y + r.height};
    // Child windows in the part, such as a transparent paint surface, show what lies beneath.
    RedrawWindow(window, &d, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

Element* Form::Native::ElementAt(int x, int y) const {
    for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
        Element* e = *it;
        if (e->TakesPointer() && e->IsEnabled() && win32::Contains(e->VisibleRect(), x, y))
            return e;
    }
    return nullptr;
}

void Form::Native::MouseDown(int button, int x, int y) {
    Element* e = ElementAt(x, y);
    if (!e) return;
    if (button == kLeftButton) {
        pressed = e;
        SetCapture(window);
    }
    // The handler may unload the form: nothing may follow it.
    e->MouseDown(button);
}

void Form::Native::MouseUp(int button, int x, int y) {
    if (button != kLeftButton || !pressed) return;
    Element* e = pressed;
    pressed = nullptr;
    ReleaseCapture();
    if (win32::Contains(e->VisibleRect(), x, y) && e->IsEnabled()) e->Clicked();
}

bool Form::Native::SetCursorAt(int x, int y) {
    const Element* e = ElementAt(x, y);
    HCURSOR cursor = e ? e->Cursor() : nullptr;
    if (!cursor) return false;
    SetCursor(cursor);
    return true;
}

LRESULT Form::Native::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            const Rect dirty{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                             ps.rcPaint.bottom - ps.rcPaint.top};
            win32::Canvas canvas(dc, dirty);
            PaintLayers(canvas);
            if (canvas.Ready())
                BitBlt(dc, dirty.x, dirty.y, dirty.width, dirty.height, canvas.Dc(), 0, 0, SRCCOPY);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the paint covers everything
        case WM_SIZE:
            // The first size is reported when the form first shows.
            if (sizeReported && wParam != SIZE_MINIMIZED) ReportSize();
            return 0;
        case WM_CLOSE:
            CloseRequested();  // closing means unloading, which the form may cancel
            return 0;
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN:
            MouseDown(win32::ButtonOf(message), x, y);
            return 0;
        case WM_LBUTTONUP:
            MouseUp(kLeftButton, x, y);
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != window) pressed = nullptr;
            return 0;
        case WM_SETCURSOR:
            if (win32::ProgramCursor()) {
                SetCursor(win32::ProgramCursor());
                return TRUE;
            }
            if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT) {
                POINT p;
                GetCursorPos(&p);
                ScreenToClient(window, &p);
                if (SetCursorAt(p.x, p.y)) return TRUE;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- Form ------------------------------------------------------------------------------------

std::unique_ptr<Form::Native, Form::NativeDeleter> Form::CreateNative() {
    std::unique_ptr<Native, NativeDeleter> native(new Native);
    native->form = this;
    native->back = style_.backColour ? (*style_.backColour & 0xFFFFFF)
                                     : win32::FromColorRef(GetSysColor(COLOR_BTNFACE));
    const DWORD style = win32::StyleFor(style_), exStyle = win32::ExStyleFor(style_);
    RECT outer{0, 0, width_, height_};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    // Made hidden: a hidden top-level window with the caption is what finds a hidden form.
    HWND window = CreateWindowExW(exStyle, win32::FormClass(), win32::Widen(caption_).c_str(),
                                  style, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, win32::Instance(),
                                  native.get());
    if (!window) return nullptr;
    native->window = window;
    native->icon = win32::MakeIconFromImage(style_.icon, true, 0, 0);
    if (native->icon) {
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(native->icon));
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(native->icon));
    }
    return native;
}

void Form::NativeDeleter::operator()(Native* native) const {
    delete native;
}

void Form::Show() {
    if (!Load()) return;
    native_->ReportSize();
    if (!Loaded()) return;  // the resize handler unloaded it
    ShowWindow(native_->window, style_.unmanaged ? SW_SHOWNOACTIVATE : SW_SHOW);
    UpdateWindow(native_->window);
    if (!style_.unmanaged) SetForegroundWindow(native_->window);
}

void Form::ShowModal() {
    Show();
    while (Loaded() && IsWindowVisible(native_->window)) {
        if (!win32::HandleNext()) {
            PostQuitMessage(0);  // the program is asked to end: leave this loop and the outer ones
            break;
        }
    }
}

void Form::Hide() {
    if (Loaded()) ShowWindow(native_->window, SW_HIDE);
}

bool Form::Visible() const {
    return Loaded() && IsWindowVisible(native_->window);
}

NativeWindow Form::WindowId() const {
    return Loaded() ? reinterpret_cast<NativeWindow>(native_->window) : 0;
}

void Form::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    if (Loaded()) SetWindowTextW(native_->window, win32::Widen(caption_).c_str());
}

Rect Form::Bounds() const {
    if (!Loaded()) return {0, 0, width_, height_};
    HWND w = native_->window;
    RECT client{};
    GetClientRect(w, &client);
    POINT origin{0, 0};
    // An embedded form measures in its parent's client area, a top-level one on the screen.
    MapWindowPoints(w, GetParent(w), &origin, 1);
    return {origin.x, origin.y, client.right, client.bottom};
}

void Form::SetBounds(const Rect& bounds) {
    if (!Loaded()) return;
    HWND w = native_->window;
    const SIZE outer = win32::OuterSize(w, bounds.width, bounds.height);
    // The client area's origin goes to (x, y): the frame lies outside it.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(w, GWL_EXSTYLE)));
    SetWindowPos(w, nullptr, bounds.x + frame.left, bounds.y + frame.top, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Move(int x, int y) {
    // The window's outer edge, as a user places a window.
    if (Loaded())
        SetWindowPos(native_->window, nullptr, x, y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::uint32_t Form::BackColour() const {
    if (Loaded()) return native_->back;
    return style_.backColour ? (*style_.backColour & 0xFFFFFF)
                             : win32::FromColorRef(GetSysColor(COLOR_BTNFACE));
}

void Form::SetBackgroundRows(std::vector<std::uint32_t> rows) {
    if (!Loaded()) return;
    native_->rows = std::move(rows);
    RedrawWindow(native_->window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// ---- Timer -----------------------------------------------------------------------------------

void Timer::Arm() {
    HWND window = win32::TimerWindow();
    if (!window) return;
    if (SetTimer(window, reinterpret_cast<UINT_PTR>(this), static_cast<UINT>(interval_), nullptr))
        win32::ArmedTimers().insert(this);
}

void Timer::Disarm() {
    if (win32::ArmedTimers().erase(this) == 0) return;
    KillTimer(win32::TimerWindow(), reinterpret_cast<UINT_PTR>(this));
}

// ---- Pointer, loop, end ----------------------------------------------------------------------

void SetScreenMousePointer(MousePointer pointer) {
    win32::programCursor = pointer == MousePointer::Hourglass
                               ? LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT))
                               : nullptr;
    // Shown at once where the pointer is; elsewhere the windows show it as it moves over them.
    POINT p;
    HWND under = GetCursorPos(&p) ? WindowFromPoint(p) : nullptr;
    DWORD process = 0;
    if (under) GetWindowThreadProcessId(under, &process);
    if (process == GetCurrentProcessId()) {
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    } else if (win32::programCursor) {
        SetCursor(win32::programCursor);
    }
}

void RunWhileLoaded() {
    while (LoadedFormCount() > 0 && win32::HandleNext()) {
    }
}

void WaitEvents(int milliseconds) {
    if (win32::Pump()) return;
    win32::AwaitMessage(static_cast<DWORD>(std::max(milliseconds, 0)));
    win32::Pump();
}

void OnEndRequest(std::function<void()> handler) {
    const std::intptr_t event = platform::EndRequestWaitable();
    if (event == -1) return;
    win32::endRequested = reinterpret_cast<HANDLE>(event);
    win32::endHandler = std::move(handler);
}

void End(int exitCode) {
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace forms
