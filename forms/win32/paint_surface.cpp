// The paint surface on Win32 (see controls.h): a child window of the form that shows a custom
// control's RGB face and caption (or, with no face, what the form paints beneath it) and passes
// the control the window's pointer and focus messages.
#include <algorithm>

#include "forms/win32/win32_form.h"

namespace forms::win32 {
namespace {

class PaintSurfaceWidget;

LRESULT CALLBACK SurfaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class PaintSurfaceWidget : public PaintSurface {
  public:
    PaintSurfaceWidget(const Placement& at, const Rect& r) : at_(at), rect_(r) {
        const Rect f = ToForm(at, r);
        window_ = CreateWindowExW(0, SurfaceClass(), L"", WS_CHILD | WS_VISIBLE, f.x, f.y, f.width,
                                  f.height, at.form->window, nullptr, Instance(), this);
    }
    ~PaintSurfaceWidget() override {
        if (!window_ || !IsWindow(window_)) return;
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        if (GetCapture() == window_) ReleaseCapture();
        DestroyWindow(window_);
    }

    void SetEvents(Events events) override { events_ = std::move(events); }
    void SetFace(const Picture* face) override {
        opaque_ = face != nullptr;
        if (face) face_ = *face;
        Redraw();
    }
    void SetCaption(CaptionText caption) override {
        caption_ = std::move(caption);
        Redraw();
    }
    PointerPlace WherePointer() const override;

    Rect Bounds() const override { return rect_; }
    void SetBounds(const Rect& r) override {
        const bool sized = r.width != rect_.width || r.height != rect_.height;
        rect_ = r;
        const Rect f = ToForm(at_, r);
        MoveWindow(window_, f.x, f.y, f.width, f.height, TRUE);
        if (sized && events_.resized) events_.resized();
    }
    bool Enabled() const override { return IsWindowEnabled(window_) != FALSE; }
    void SetEnabled(bool enabled) override { EnableWindow(window_, enabled ? TRUE : FALSE); }
    void Redraw() override { InvalidateRect(window_, nullptr, FALSE); }

    // The window is known from its first message on.
    void Attach(HWND window) { window_ = window; }
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void Paint();
    void DrawCaption(Canvas& canvas) const;
    bool AcceptsFocus() const { return !events_.acceptsFocus || events_.acceptsFocus(); }
    void Moved() {
        if (events_.pointerMoved) events_.pointerMoved();
    }
    void Pressed(int button);
    void Released(int button);

    Placement at_;
    Rect rect_;
    HWND window_ = nullptr;
    Events events_;
    Picture face_;
    bool opaque_ = true;
    CaptionText caption_;
};

void PaintSurfaceWidget::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    const Rect f = ToForm(at_, rect_);
    Canvas canvas(dc, f);
    // A transparent face shows what the form paints beneath the surface.
    const bool faceShown = opaque_ && face_.width == f.width && face_.height == f.height;
    if (faceShown)
        canvas.Draw(face_, f.x, f.y);
    else
        at_.form->PaintLayers(canvas);
    DrawCaption(canvas);
    canvas.Show(dc);
    EndPaint(window_, &ps);
}

void PaintSurfaceWidget::DrawCaption(Canvas& canvas) const {
    const CaptionText& c = caption_;
    if (c.text.empty()) return;
    const Rect f = ToForm(at_, rect_);
    const Rect area{f.x + c.area.x, f.y + c.area.y, c.area.width, c.area.height};
    HDC dc = canvas.Dc();
    // The font carries the underline and the strikethrough itself.
    HGDIOBJ old = SelectObject(dc, FontFor(c.font));
    const std::wstring text = Widen(c.text);
    const auto draw = [&](int dx, int dy, std::uint32_t colour) {
        SetTextColor(dc, ToColorRef(colour));
        RECT d = canvas.ToDevice({area.x + dx, area.y + dy, area.width, area.height});
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &d,
                  DT_CENTER | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    };
    if (c.enabled) {
        draw(0, 0, c.colour);
    } else {  // the system's greyed style: grey text over a white shadow
        draw(1, 1, 0xFFFFFF);
        draw(0, 0, 0xACA899);
    }
    SelectObject(dc, old);
}

void PaintSurfaceWidget::Pressed(int button) {
    // The pointer counts as arrived first, then any button gives the focus, then the press.
    Moved();
    if (AcceptsFocus() && GetFocus() != window_) SetFocus(window_);
    SetCapture(window_);
    if (events_.pressed) events_.pressed(button);
}

void PaintSurfaceWidget::Released(int button) {
    if (GetCapture() == window_ && !(GetKeyState(VK_LBUTTON) & 0x8000) &&
        !(GetKeyState(VK_RBUTTON) & 0x8000) && !(GetKeyState(VK_MBUTTON) & 0x8000))
        ReleaseCapture();
    // The handler may unload the form and with it this surface: nothing may follow it.
    if (events_.released) {
        auto handler = events_.released;
        handler(button);
    }
}

LRESULT PaintSurfaceWidget::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE: {
            // While a button is held the pointer is captured: only moves over the surface count.
            RECT client;
            GetClientRect(window_, &client);
            const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (PtInRect(&client, p)) Moved();
            return 0;
        }
        case WM_LBUTTONDOWN:
            Pressed(kLeftButton);
            return 0;
        case WM_MBUTTONDOWN:
            Pressed(kMiddleButton);
            return 0;
        case WM_RBUTTONDOWN:
            Pressed(kRightButton);
            return 0;
        case WM_LBUTTONUP:
            Released(kLeftButton);
            return 0;
        case WM_MBUTTONUP:
            Released(kMiddleButton);
            return 0;
        case WM_RBUTTONUP:
            Released(kRightButton);
            return 0;
        case WM_SETFOCUS:
            // A surface that refuses the focus does not report it.
            if (AcceptsFocus() && events_.focusChanged) events_.focusChanged(true);
            return 0;
        case WM_KILLFOCUS:
            if (events_.focusChanged) events_.focusChanged(false);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

PointerPlace PaintSurfaceWidget::WherePointer() const {
    POINT p;
    if (!GetCursorPos(&p)) return PointerPlace::Unknown;
    HWND under = WindowFromPoint(p);
    if (under && under == window_) return PointerPlace::OverControl;
    if (under && under == at_.form->window) return PointerPlace::OverForm;
    return PointerPlace::Elsewhere;
}

LRESULT CALLBACK SurfaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* made = static_cast<PaintSurfaceWidget*>(create->lpCreateParams);
        made->Attach(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
    }
    auto* surface = reinterpret_cast<PaintSurfaceWidget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    // Nothing to call during the window's destruction, after its control has let go of it.
    if (!surface) return DefWindowProcW(window, message, wParam, lParam);
    return surface->Handle(message, wParam, lParam);
}

}  // namespace

const wchar_t* SurfaceClass() {
    static const wchar_t* name =
        RegisterWindowClass(L"VelmoraPaintSurface", SurfaceProc, true, false);
    return name;
}

}  // namespace forms::win32

namespace forms {

PaintSurface* Form::AddPaintSurface(const Rect& bounds, Panel* in) {
    return win32::Create<win32::PaintSurfaceWidget>(NativePart(), in, bounds);
}

}  // namespace forms
