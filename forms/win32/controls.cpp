// The controls on Win32 (see controls.h): picture box, panel, label, option button, image and
// frame shape are windowless, painted by their form over its background; the combo box is the
// system's own control with a field that takes typed text. Also the form's functions that
// create them.
#include <algorithm>
#include <utility>

#include "forms/win32/win32_form.h"

namespace forms::win32 {
namespace {

// The common part of the windowless controls: position in the container, enabled state.
template <class Interface>
class ElementShell : public Interface, public Element {
  public:
    ElementShell(const Placement& at, const Rect& r) : Element(at), rect_(r) {}

    Rect Bounds() const override { return rect_; }
    void SetBounds(const Rect& r) override {
        Invalidate();
        rect_ = r;
        Invalidate();
    }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override {
        enabled_ = enabled;
        Invalidate();
    }
    void Redraw() override { Invalidate(); }
    Rect LocalRect() const override { return rect_; }
    bool IsEnabled() const override { return enabled_; }

  protected:
    Rect rect_;
    bool enabled_ = true;
};

// ---- Picture box -------------------------------------------------------------------------------

class PictureBoxWidget : public PictureBox, public Element {
  public:
    PictureBoxWidget(const Placement& at, const Rect& r)
        : PictureBox(r.x, r.y, r.width, r.height), Element(at) {}

    void SetBounds(const Rect& r) override {
        Invalidate();
        PictureBox::SetBounds(r);
        Invalidate();
    }
    void Redraw() override { Invalidate(); }
    Rect LocalRect() const override { return PictureBox::Bounds(); }
    bool IsEnabled() const override { return PictureBox::Enabled(); }
    void Paint(Canvas& canvas) const override {
        const Rect r = FormRect();
        canvas.Draw(Image(), r.x, r.y);
    }
};

// ---- Panel -------------------------------------------------------------------------------------

class PanelWidget : public ElementShell<Panel> {
  public:
    PanelWidget(const Placement& at, const Rect& r)
        : ElementShell(at, r), surface_(Placement{at.form, this}, Inside(r)) {}

    PictureBox& Surface() override { return surface_; }
    Rect ClientArea() const override {
        const Rect r = FormRect();
        return {r.x + kBorder, r.y + kBorder, std::max(0, r.width - 2 * kBorder),
                std::max(0, r.height - 2 * kBorder)};
    }
    void SetBounds(const Rect& r) override {
        ElementShell::SetBounds(r);
        surface_.SetBounds(Inside(r));
    }
    void Paint(Canvas& canvas) const override { canvas.SunkenFrame(FormRect()); }
    // The picture beneath the panel's controls is painted right after the panel.
    Element& SurfaceElement() { return surface_; }

  private:
    static Rect Inside(const Rect& r) {
        return {0, 0, std::max(0, r.width - 2 * kBorder), std::max(0, r.height - 2 * kBorder)};
    }
    PictureBoxWidget surface_;
};

// ---- Label -------------------------------------------------------------------------------------

class LabelWidget : public ElementShell<Label> {
  public:
    LabelWidget(const Placement& at, const Rect& r, std::string text)
        : ElementShell(at, r), text_(std::move(text)), wide_(Widen(text_)) {}
    ~LabelWidget() override {
        if (cursor_) DestroyCursor(cursor_);
    }

    const std::string& Text() const override { return text_; }
    void SetText(std::string text) override {
        text_ = std::move(text);
        wide_ = Widen(text_);
        Invalidate();  // the form paints the background behind the old text again
    }
    void SetStyle(const LabelStyle& style) override {
        style_ = style;
        font_ = FontFor(style.font);
        Invalidate();
    }
    void AutoSize() override;
    void OnMouseDown(std::function<void(int)> handler) override {
        onMouseDown_ = std::move(handler);
    }
    void OnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }
    void SetCursor(const ImageData& cursor, int hotX, int hotY) override {
        if (cursor_) DestroyCursor(cursor_);
        cursor_ = MakeIconFromImage(cursor, false, hotX, hotY);
    }
    void RefreshCursor() override;

    void Paint(Canvas& canvas) const override;
    bool TakesPointer() const override { return onMouseDown_ || onClick_ || cursor_; }
    void MouseDown(int button) override {
        if (onMouseDown_) {
            auto handler = onMouseDown_;  // the handler may unload the form
            handler(button);
        }
    }
    void Clicked() override {
        if (onClick_) {
            auto handler = onClick_;
            handler();
        }
    }
    HCURSOR Cursor() const override { return cursor_; }

  private:
    std::vector<std::wstring> Lines(HDC dc, int width) const;

    std::string text_;
    std::wstring wide_;
    LabelStyle style_;
    HFONT font_ = FontFor(FontSpec{});
    std::function<void(int)> onMouseDown_;
    std::function<void()> onClick_;
    HCURSOR cursor_ = nullptr;
};

void LabelWidget::AutoSize() {
    HDC dc = GetDC(at_.form->window);
    HGDIOBJ old = SelectObject(dc, font_);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide_.c_str(), static_cast<int>(wide_.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(at_.form->window, dc);
    SetBounds({rect_.x, rect_.y, size.cx + 1, rect_.height});
}

void LabelWidget::RefreshCursor() {
    POINT p;
    HWND form = at_.form->window;
    if (!cursor_ || !GetCursorPos(&p) || WindowFromPoint(p) != form) return;
    ScreenToClient(form, &p);
    if (Contains(VisibleRect(), p.x, p.y)) ::SetCursor(cursor_);
}

std::vector<std::wstring> LabelWidget::Lines(HDC dc, int width) const {
    if (!style_.framed) return {wide_};
    // A framed label breaks its text wherever the next character would pass the right edge.
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < wide_.size()) {
        int fit = 0;
        SIZE size{};
        const int left = static_cast<int>(wide_.size() - start);
        GetTextExtentExPointW(dc, wide_.c_str() + start, left, std::max(width, 0), &fit, nullptr,
                              &size);
        fit = std::clamp(fit, 1, left);
        // Never between the two halves of a surrogate pair.
        if (fit < left && IS_HIGH_SURROGATE(wide_[start + fit - 1])) fit += fit == 1 ? 1 : -1;
        lines.push_back(wide_.substr(start, static_cast<std::size_t>(fit)));
        start += static_cast<std::size_t>(fit);
    }
    return lines;
}

void LabelWidget::Paint(Canvas& canvas) const {
    const Rect r = FormRect();
    const int inset = style_.framed ? 2 : 0;
    if (style_.framed) canvas.SunkenFrame(r);
    const Rect inner{r.x + inset, r.y + inset, r.width - 2 * inset, r.height - 2 * inset};
    canvas.ClipTo(Intersect(inner, VisibleRect()));
    HDC dc = canvas.Dc();
    HGDIOBJ old = SelectObject(dc, font_);
    SetTextColor(dc, ToColorRef(style_.colour));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    int top = inner.y;
    for (const std::wstring& line : Lines(dc, inner.width)) {
        SIZE size{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        const int left = style_.centred ? r.x + (r.width - size.cx) / 2 : inner.x;
        RECT d = canvas.ToDevice({left, top, std::max<int>(size.cx, 1), metrics.tmHeight});
        // No prefix characters: an "&" is shown as it is.
        DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &d,
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        // The underline keeps inside the label even when the font's descent does not.
        if (style_.underlined)
            canvas.HorizontalLine(left, left + size.cx - 1,
                                  std::min<int>(top + metrics.tmAscent + 1, r.y + r.height - 1),
                                  style_.colour);
        top += metrics.tmHeight;
    }
    SelectObject(dc, old);
    canvas.ClipTo(VisibleRect());
}

// ---- Option button -----------------------------------------------------------------------------

class OptionButtonWidget : public ElementShell<OptionButton> {
  public:
    OptionButtonWidget(const Placement& at, const Rect& r, ImageData off, ImageData on)
        : ElementShell(at, r), off_(std::move(off)), on_(std::move(on)) {}

    bool Value() const override { return value_; }
    void SetValue(bool on) override {
        value_ = on;
        Invalidate();
    }
    void OnMouseDown(std::function<void(int)> handler) override {
        onMouseDown_ = std::move(handler);
    }

    void Paint(Canvas& canvas) const override {
        const Rect r = FormRect();
        canvas.Draw(value_ ? on_ : off_, r.x, r.y);
    }
    bool TakesPointer() const override { return static_cast<bool>(onMouseDown_); }
    void MouseDown(int button) override {
        auto handler = onMouseDown_;  // the handler may unload the form
        if (handler) handler(button);
    }

  private:
    ImageData off_, on_;
    bool value_ = false;
    std::function<void(int)> onMouseDown_;
};

// ---- Image -------------------------------------------------------------------------------------

class ImageBoxWidget : public ElementShell<ImageBox> {
  public:
    using ElementShell::ElementShell;

    void SetPicture(ImageData picture) override {
        picture_ = std::move(picture);
        scaled_ = ImageData{};
        Invalidate();
    }
    void SetStretch(bool stretch) override {
        stretch_ = stretch;
        Invalidate();
    }
    void Paint(Canvas& canvas) const override {
        const Rect r = FormRect();
        if (picture_.Empty() || r.width <= 0 || r.height <= 0) return;
        if (!stretch_) return canvas.Draw(picture_, r.x, r.y);
        // Scaled once for each size the image takes.
        if (scaled_.width != r.width || scaled_.height != r.height)
            scaled_ = ScaleBilinear(picture_, r.width, r.height);
        canvas.Draw(scaled_, r.x, r.y);
    }

  private:
    ImageData picture_;
    mutable ImageData scaled_;
    bool stretch_ = false;
};

// ---- Frame shape -------------------------------------------------------------------------------

class FrameShapeWidget : public ElementShell<FrameShape> {
  public:
    using ElementShell::ElementShell;
    void Paint(Canvas& canvas) const override { canvas.BlackFrame(FormRect()); }
};

// ---- Combo box ---------------------------------------------------------------------------------

class ComboBoxWidget : public ComboBox {
  public:
    // Room for the drop-down list below the field.
    static constexpr int kListHeight = 200;

    ComboBoxWidget(const Placement& at, const Rect& r) : at_(at), rect_(r) {
        const Rect f = ToForm(at, r);
        window_ = CreateWindowExW(
            0, L"COMBOBOX", L"",
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, f.x,
            f.y, f.width, f.height + kListHeight, at.form->window, nullptr, Instance(), nullptr);
        FitHeight();
    }
    ~ComboBoxWidget() override {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
    }

    std::string Text() const override {
        const int length = GetWindowTextLengthW(window_);
        std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
        const int got = GetWindowTextW(window_, text.data(), static_cast<int>(text.size()));
        text.resize(static_cast<std::size_t>(std::max(got, 0)));
        return Narrow(text);
    }
    void SetText(std::string_view text) override { SetWindowTextW(window_, Widen(text).c_str()); }
    void SetItems(std::vector<std::string> items) override {
        // Entries are plain text; the field keeps what it shows.
        const std::string shown = Text();
        SendMessageW(window_, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : items) {
            const std::wstring wide = Widen(item);
            SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        }
        SetText(shown);
    }
    void SetFont(const FontSpec& font) override {
        SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font)), TRUE);
        FitHeight();
    }

    Rect Bounds() const override { return rect_; }
    void SetBounds(const Rect& r) override {
        rect_ = r;
        const Rect f = ToForm(at_, r);
        MoveWindow(window_, f.x, f.y, f.width, f.height + kListHeight, TRUE);
        FitHeight();
    }
    bool Enabled() const override { return IsWindowEnabled(window_) != FALSE; }
    void SetEnabled(bool enabled) override { EnableWindow(window_, enabled ? TRUE : FALSE); }
    void Redraw() override { InvalidateRect(window_, nullptr, TRUE); }

  private:
    // The closed box takes the height it was given: its field is that height less its frame.
    void FitHeight() {
        if (!window_) return;
        // The frame round the field differs between systems and themes, and what the field's
        // height reads back need not be what was set: measured, then made up for, three times
        // at most.
        LRESULT field = SendMessageW(window_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        for (int attempt = 0; attempt < 3 && field != CB_ERR; ++attempt) {
            RECT box{};
            GetWindowRect(window_, &box);
            const int off = rect_.height - (box.bottom - box.top);
            if (off == 0 || field + off <= 0) return;
            field += off;
            SendMessageW(window_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
        }
    }

    Placement at_;
    Rect rect_;
    HWND window_ = nullptr;
};

}  // namespace
}  // namespace forms::win32

namespace forms {

namespace {

// Registers a windowless control for painting, a panel with the picture beneath its controls.
template <class C>
C* Painted(Form::Native* native, C* control) {
    if (!control) return nullptr;
    native->elements.push_back(control);
    if constexpr (std::is_same_v<C, win32::PanelWidget>)
        native->elements.push_back(&control->SurfaceElement());
    return control;
}

}  // namespace

PictureBox* Form::AddPictureBox(const Rect& bounds, Panel* in) {
    return Painted(NativePart(), win32::Create<win32::PictureBoxWidget>(NativePart(), in, bounds));
}
Panel* Form::AddPanel(const Rect& bounds, Panel* in) {
    return Painted(NativePart(), win32::Create<win32::PanelWidget>(NativePart(), in, bounds));
}
Label* Form::AddLabel(const Rect& bounds, std::string text, Panel* in) {
    return Painted(NativePart(),
                   win32::Create<win32::LabelWidget>(NativePart(), in, bounds, std::move(text)));
}
OptionButton* Form::AddOptionButton(const Rect& bounds, ImageData off, ImageData on, Panel* in) {
    return Painted(NativePart(), win32::Create<win32::OptionButtonWidget>(
                                     NativePart(), in, bounds, std::move(off), std::move(on)));
}
ImageBox* Form::AddImageBox(const Rect& bounds, Panel* in) {
    return Painted(NativePart(), win32::Create<win32::ImageBoxWidget>(NativePart(), in, bounds));
}
ComboBox* Form::AddComboBox(const Rect& bounds, Panel* in) {
    return win32::Create<win32::ComboBoxWidget>(NativePart(), in, bounds);
}
FrameShape* Form::AddFrameShape(const Rect& bounds, Panel* in) {
    return Painted(NativePart(), win32::Create<win32::FrameShapeWidget>(NativePart(), in, bounds));
}

}  // namespace forms
