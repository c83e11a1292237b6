// The Win32 backend's own declarations: a form's native part (its window and what it paints),
// the windowless elements that the form paints itself, the off-screen canvas they paint on,
// fonts and text. Only the backend's files include this.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/forms.h"

namespace forms::win32 {

// ---- Text and colours --------------------------------------------------------------------------

// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD. Empty in, empty out.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// 0xRRGGBB to a GDI colour and back.
inline COLORREF ToColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
inline std::uint32_t FromColorRef(COLORREF c) {
    return (std::uint32_t{GetRValue(c)} << 16) | (std::uint32_t{GetGValue(c)} << 8) | GetBValue(c);
}

// ---- Fonts -------------------------------------------------------------------------------------

// The GDI font for a font object, made once and kept for the program's life; its height in
// pixels is the point size at 96 dots per inch, as the dialog's pixel layout was designed.
HFONT FontFor(const FontSpec& font);
int PixelSize(const FontSpec& font);

// ---- Canvas ------------------------------------------------------------------------------------

// An off-screen 32-bit picture with a memory device context, covering `area` of a form's client
// area: painting uses form coordinates, and Show() copies the result to a window's DC.
class Canvas {
  public:
    Canvas(HDC reference, const Rect& area);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool Ready() const { return bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    const Rect& Area() const { return area_; }

    // Clips later drawing (GDI and pixels) to `clip` (form coordinates) until ResetClip().
    void ClipTo(const Rect& clip);
    void ResetClip();

    void Fill(const Rect& r, std::uint32_t rgb);
    // Draws `channels`-byte pixels (3 RGB, 4 RGBA with straight alpha), rows top to bottom, with
    // their top-left at (x, y): opaque ones through the device context, translucent ones blended.
    void Draw(const std::uint8_t* pixels, int width, int height, int channels, int x, int y);
    void Draw(const Picture& picture, int x, int y) {
        Draw(picture.rgb.data(), picture.width, picture.height, 3, x, y);
    }
    void Draw(const ImageData& image, int x, int y) {
        Draw(image.pixels.data(), image.width, image.height, image.channels, x, y);
    }
    // A line of `rgb` from (x0, y) to (x1, y) inclusive.
    void HorizontalLine(int x0, int x1, int y, std::uint32_t rgb);
    // A 2-pixel sunken frame inside r, as the system draws it round a field.
    void SunkenFrame(const Rect& r);
    // A black one-pixel frame inside r.
    void BlackFrame(const Rect& r);
    // Device rectangle for a form rectangle.
    RECT ToDevice(const Rect& r) const;

    // Copies the canvas to `dc` (whose origin shows the canvas's top-left).
    void Show(HDC dc) const;

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    Rect area_;
    Rect clip_;
};

// A copy of `image` scaled to width x height with bilinear filtering (same channels).
ImageData ScaleBilinear(const ImageData& image, int width, int height);

// A cursor (or icon) from an RGBA or RGB image; nullptr for an empty image.
HICON MakeIconFromImage(const ImageData& image, bool isIcon, int hotX, int hotY);

// ---- Elements ----------------------------------------------------------------------------------

bool Contains(const Rect& r, int x, int y);
Rect Intersect(const Rect& a, const Rect& b);

}  // namespace forms::win32

namespace forms {

namespace win32 {
class Element;
}

// A form's window and the controls it holds. The window paints its background and the windowless
// controls (elements) itself; the combo box and the paint surfaces are child windows.
struct Form::Native {
    Form* form = nullptr;
    HWND window = nullptr;
    HICON icon = nullptr;
    std::uint32_t back = 0;
    std::vector<std::uint32_t> rows;
    std::vector<std::unique_ptr<Control>> controls;  // owned, in creation order
    std::vector<win32::Element*> elements;           // the windowless ones, in painting order
    win32::Element* pressed = nullptr;               // the label a left press went down on
    bool sizeReported = false;
    int reportedWidth = 0, reportedHeight = 0;

    ~Native();
    // The form's handlers, for the window.
    void ReportSize();
    void CloseRequested() { form->Unload(UnloadMode::ControlMenu); }
    // Paints the back colour, the rows and the elements over `canvas`'s area.
    void PaintLayers(win32::Canvas& canvas) const;
    // Repaints a part of the client area (form coordinates), child windows included.
    void Invalidate(const Rect& r) const;
    // The topmost enabled element at (x, y) of the client area that takes the pointer.
    win32::Element* ElementAt(int x, int y) const;
    // Keeps a new control; returns it.
    template <class C>
    C* Keep(std::unique_ptr<C> control) {
        C* raw = control.get();
        controls.push_back(std::move(control));
        return raw;
    }
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void MouseDown(int button, int x, int y);
    void MouseUp(int button, int x, int y);
    bool SetCursorAt(int x, int y);
};

namespace win32 {

// Where a control of a form goes: the form, and the element whose client area holds it (a panel;
// null for the form's own client area).
struct Placement {
    Form::Native* form = nullptr;
    const Element* container = nullptr;
};

// A form rectangle of a control placed at `local` in a container's client area.
Rect ToForm(const Placement& at, const Rect& local);
// The visible part of a container's client area (the whole client area without one).
Rect ClipOf(const Placement& at);

// A windowless control: the form paints it and passes it the pointer.
class Element {
  public:
    explicit Element(const Placement& at) : at_(at) {}
    virtual ~Element() = default;

    // Position in the container's client area.
    virtual Rect LocalRect() const = 0;
    virtual bool IsEnabled() const = 0;
    // Where it is in form coordinates, and the part of that it may paint.
    Rect FormRect() const { return ToForm(at_, LocalRect()); }
    Rect VisibleRect() const { return Intersect(FormRect(), ClipOf(at_)); }
    // For elements that hold others: the form coordinates of the client area's origin.
    virtual Rect ClientArea() const { return FormRect(); }

    virtual void Paint(Canvas& canvas) const = 0;
    // Whether a press over it belongs to it (otherwise it goes to what lies beneath).
    virtual bool TakesPointer() const { return false; }
    virtual void MouseDown(int button) { (void)button; }
    virtual void Clicked() {}
    // The pointer's look over it, or null to leave it alone.
    virtual HCURSOR Cursor() const { return nullptr; }

  protected:
    void Invalidate() const { at_.form->Invalidate(FormRect()); }
    Placement at_;
};

// Makes a control of type C on the loaded form whose native part is `native`, inside the panel
// `in` (the client area when null); nullptr when the form is not loaded.
Placement PlaceIn(Form::Native* native, Panel* in);

template <class C, class... Args>
C* Create(Form::Native* native, Panel* in, const Rect& r, Args&&... args) {
    if (!native) return nullptr;
    return native->Keep(std::make_unique<C>(PlaceIn(native, in), r, std::forward<Args>(args)...));
}

// The window classes of the backend, registered once.
const wchar_t* FormClass();
const wchar_t* SurfaceClass();
HINSTANCE Instance();

// Registers the window class `name` of this program with `procedure`, the arrow pointer unless
// `cursor` is false, and the program's icon when `icon`; returns `name` (a class that is there
// already stays as it was). `name` must outlive the class: a literal.
const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC procedure, bool cursor, bool icon);

// The pointer look every window of the program shows while set (the hourglass), or null.
HCURSOR ProgramCursor();

}  // namespace win32
}  // namespace forms
