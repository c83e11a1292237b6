// The paint surface on FLTK (see controls.h): shows a custom control's RGB face and caption in
// the form's window and feeds it FLTK's pointer and focus events.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cmath>

#include "forms/fltk/fltk_form.h"
#include "platform/base.h"
#include "platform/window_system.h"

namespace forms::fltk {
namespace {

class PaintSurfaceWidget : public ControlShell<PaintSurface, Fl_Widget> {
  public:
    PaintSurfaceWidget(const Placement& at, const Rect& r) : ControlShell(at, r) { box(FL_NO_BOX); }

    void SetEvents(Events events) override { events_ = std::move(events); }
    void SetFace(const Picture* face) override;
    void SetCaption(CaptionText caption) override {
        caption_ = std::move(caption);
        Invalidate();
    }
    PointerPlace WherePointer() const override;

  protected:
    void draw() override;
    int handle(int event) override;
    void resize(int x, int y, int w, int h) override {
        const bool sized = w != this->w() || h != this->h();
        Fl_Widget::resize(x, y, w, h);
        if (sized && events_.resized) events_.resized();
    }

  private:
    void Invalidate();
    void DrawCaption();
    bool AcceptsFocus() const { return !events_.acceptsFocus || events_.acceptsFocus(); }

    Events events_;
    Picture face_;
    bool opaque_ = true;
    CaptionText caption_;
};

void PaintSurfaceWidget::SetFace(const Picture* face) {
    const bool wasOpaque = opaque_;
    opaque_ = face != nullptr;
    if (face) face_ = *face;
    // A face that turns transparent shows what lies below it: the container paints that part.
    if (wasOpaque != opaque_ && parent()) parent()->damage(FL_DAMAGE_ALL, x(), y(), w(), h());
    Invalidate();
}

void PaintSurfaceWidget::Invalidate() {
    // A transparent face shows what lies below it, so the container paints that part again.
    if (!opaque_ && parent())
        parent()->damage(FL_DAMAGE_ALL, x(), y(), w(), h());
    else
        redraw();
}

void PaintSurfaceWidget::draw() {
    fl_push_clip(x(), y(), w(), h());
    if (opaque_ && face_.width == w() && face_.height == h() && !face_.rgb.empty())
        fl_draw_image(face_.rgb.data(), x(), y(), w(), h(), 3, 0);
    DrawCaption();
    fl_pop_clip();
}

void PaintSurfaceWidget::DrawCaption() {
    const CaptionText& c = caption_;
    if (c.text.empty()) return;
    fl_font(FontFor(c.font), PixelSize(c.font));
    const Rect r = c.area;
    const int X = x() + r.x, Y = y() + r.y;
    const Fl_Align align = FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_CLIP | FL_ALIGN_WRAP;
    auto text = [&](int dx, int dy) {
        // No '@' symbols: a caption is shown as it is written.
        fl_draw(c.text.c_str(), X + dx, Y + dy, r.width, r.height, align, nullptr, 0);
    };
    if (c.enabled) {
        fl_color(ToFl(c.colour));
        text(0, 0);
    } else {  // the system's greyed style: grey text over a white shadow
        fl_color(FL_WHITE);
        text(1, 1);
        fl_color(fl_rgb_color(0xAC, 0xA8, 0x99));
        text(0, 0);
    }
    if (c.font.underline || c.font.strikethrough) {
        const int width = std::min(static_cast<int>(fl_width(c.text.c_str())), r.width);
        const int left = X + (r.width - width) / 2, base = Y + fl_height() - fl_descent();
        if (c.font.underline) fl_line(left, base + 1, left + width - 1, base + 1);
        if (c.font.strikethrough) {
            const int mid = base - fl_height() / 3;
            fl_line(left, mid, left + width - 1, mid);
        }
    }
}

int PaintSurfaceWidget::handle(int event) {
    const auto moved = [this] {
        if (events_.pointerMoved) events_.pointerMoved();
    };
    switch (event) {
        case FL_ENTER:
        case FL_MOVE:
            moved();
            return 1;  // 1 on FL_ENTER, or FLTK sends no FL_MOVE
        case FL_DRAG:
            if (Fl::event_inside(this)) moved();
            return 1;
        case FL_LEAVE:
            return 1;  // leaving is for the control's own poll to notice
        case FL_PUSH:
            // FLTK holds back pointer motion and may deliver a press before the move that led
            // to it: the press counts as the pointer arriving first, as it does where every press
            // follows a move. Then any button gives the focus, then the press is handled.
            if (Fl::event_inside(this)) moved();
            if (AcceptsFocus() && Fl::focus() != this) take_focus();
            if (events_.pressed) events_.pressed(Fl::event_button());
            return 1;
        case FL_RELEASE:
            // The handler may unload the form: nothing may follow it.
            if (events_.released) {
                auto handler = events_.released;
                handler(Fl::event_button());
            }
            return 1;
        case FL_FOCUS:
            if (!AcceptsFocus()) return 0;  // a surface that refuses the focus does not take it
            if (events_.focusChanged) events_.focusChanged(true);
            return 1;
        case FL_UNFOCUS:
            if (events_.focusChanged) events_.focusChanged(false);
            return 1;
        default:
            return 0;  // no keyboard handling
    }
}

PointerPlace PaintSurfaceWidget::WherePointer() const {
    const platform::PointerHit hit = platform::WindowUnderPointer();
    if (!hit.found) return PointerPlace::Unknown;
    Fl_Window* own = window();
    Fl_Window* form = top_window();
    // The surface draws into its window's area; the part of that window inside the surface's
    // rectangle counts as the surface's own window.
    if (own && own->shown() && visible_r() &&
        hit.window == static_cast<NativeWindow>(fl_xid(own)) && hit.windowX >= x() &&
        hit.windowX < x() + w() && hit.windowY >= y() && hit.windowY < y() + h())
        return PointerPlace::OverControl;
    if (form && form->shown() && hit.window == static_cast<NativeWindow>(fl_xid(form)))
        return PointerPlace::OverForm;
    return PointerPlace::Elsewhere;
}

}  // namespace
}  // namespace forms::fltk

namespace forms {

PaintSurface* Form::AddPaintSurface(const Rect& bounds, Panel* in) {
    return fltk::Create<fltk::PaintSurfaceWidget>(NativePart(), in, bounds);
}

}  // namespace forms
