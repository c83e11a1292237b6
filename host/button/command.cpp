// Command, the host's custom push button: the FLTK shell around button::CommandCore.
#include "host/button/command.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cmath>
#include <map>
#include <string>

#include "host/button/looks.h"
#include "platform/platform.h"

namespace {

// Faces that stand in for the ones the captions were designed with.
std::string SystemFace(const std::string& face) {
    static const std::map<std::string, std::string> standIns = {
        {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"ＭＳ ゴシック", "IPAGothic"},
        {"MS PGothic", "IPAPGothic"},      {"MS Gothic", "IPAGothic"},
        {"MS UI Gothic", "IPAPGothic"},    {"Tahoma", "DejaVu Sans"},
        {"MS Sans Serif", "DejaVu Sans"},
    };
    auto it = standIns.find(face);
    return it != standIns.end() ? it->second : face;
}

// FLTK knows fonts by number; each face and style gets its own, handed out from a range that
// the rest of the program does not use.
Fl_Font FltkFont(const forms::FontSpec& font) {
    static std::map<std::string, Fl_Font> known;
    static Fl_Font next = FL_FREE_FONT + 100;
    const bool bold = font.weight >= 600;
    // FLTK reads the first character of a font name as its style: ' ' plain, B, I, P bold italic.
    const char style = bold && font.italic ? 'P' : bold ? 'B' : font.italic ? 'I' : ' ';
    const std::string name = style + SystemFace(font.face);
    auto it = known.find(name);
    if (it != known.end()) return it->second;
    Fl_Font number = next++;
    // FLTK keeps the pointer it is given, so the name must outlive the program's fonts.
    Fl::set_font(number, (new std::string(name))->c_str());
    known.emplace(name, number);
    return number;
}

Fl_Color FltkColour(std::uint32_t bbggrr) {
    return fl_rgb_color(bbggrr & 0xFF, (bbggrr >> 8) & 0xFF, (bbggrr >> 16) & 0xFF);
}

}  // namespace

Command::Command(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {
    box(FL_NO_BOX);
    // The caption label's place at design, until the first paint places it.
    captionRect_ = {0, 6, 109, 13};
}

Command::~Command() = default;

// ---- Drawing ----

void Command::PaintFace(button::Look look, bool topDark) {
    face_ = button::Image(w(), h());
    button::PaintFace(face_, button::LookImage(look), topDark);
    look_ = look;
    captionRect_ = button::CaptionRect(w(), h());
    Invalidate();
}

void Command::Invalidate() {
    // A transparent face shows what lies below it, so the container paints that part again.
    if (!core_.Opaque() && parent())
        parent()->damage(FL_DAMAGE_ALL, x(), y(), w(), h());
    else
        redraw();
}

void Command::OpacityChanged() {
    if (parent()) parent()->damage(FL_DAMAGE_ALL, x(), y(), w(), h());
    redraw();
}

void Command::draw() {
    fl_push_clip(x(), y(), w(), h());
    if (core_.Opaque()) {
        if (face_.width == w() && face_.height == h() && !face_.rgb.empty()) {
            fl_draw_image(face_.rgb.data(), x(), y(), w(), h(), 3, 0);
        } else {  // not painted yet at this size: the background only
            fl_color(
                fl_rgb_color(button::kBackground.r, button::kBackground.g, button::kBackground.b));
            fl_rectf(x(), y(), w(), h());
        }
    }
    DrawCaption();
    fl_pop_clip();
}

void Command::DrawCaption() {
    const auto& label = core_.Label();
    if (label.caption.empty() || !label.font) return;
    const forms::FontSpec& font = *label.font;
    fl_font(FltkFont(font), std::max(1, static_cast<int>(std::lround(font.size * 96.0 / 72.0))));
    const button::Rect r = captionRect_;
    const int X = x() + r.x, Y = y() + r.y;
    const Fl_Align align = FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_CLIP | FL_ALIGN_WRAP;
    auto text = [&](int dx, int dy) {
        // No '@' symbols: a caption is shown as it is written.
        fl_draw(label.caption.c_str(), X + dx, Y + dy, r.w, r.h, align, nullptr, 0);
    };
    if (label.enabled) {
        fl_color(FltkColour(label.colour));
        text(0, 0);
    } else {  // the system's greyed style: grey text over a white shadow
        fl_color(FL_WHITE);
        text(1, 1);
        fl_color(fl_rgb_color(0xAC, 0xA8, 0x99));
        text(0, 0);
    }
    if (font.underline || font.strikethrough) {
        const int width = std::min(static_cast<int>(fl_width(label.caption.c_str())), r.w);
        const int left = X + (r.w - width) / 2, base = Y + fl_height() - fl_descent();
        if (font.underline) fl_line(left, base + 1, left + width - 1, base + 1);
        if (font.strikethrough) {
            const int mid = base - fl_height() / 3;
            fl_line(left, mid, left + width - 1, mid);
        }
    }
}

// ---- Events ----

int Command::handle(int event) {
    switch (event) {
        case FL_ENTER:
        case FL_MOVE:
            core_.PointerMoved();
            return 1;  // 1 on FL_ENTER, or FLTK sends no FL_MOVE
        case FL_DRAG:
            if (Fl::event_inside(this)) core_.PointerMoved();
            return 1;
        case FL_LEAVE:
            return 1;  // leaving is noticed by the poll
        case FL_PUSH:
            // FLTK holds back pointer motion and may deliver a press before the move that led
            // to it: the press counts as the pointer arriving first, as it does where every press
            // follows a move. Then any button gives the focus, then the press is handled.
            if (Fl::event_inside(this)) core_.PointerMoved();
            if (core_.EnabledField() && Fl::focus() != this) take_focus();
            core_.ButtonPressed(Fl::event_button());
            return 1;
        case FL_RELEASE:
            // Click's handler may delete this widget: nothing may follow it.
            core_.ButtonReleased(Fl::event_button());
            return 1;
        case FL_FOCUS:
            if (!core_.EnabledField()) return 0;  // a disabled button does not take the focus
            core_.FocusGained();
            return 1;
        case FL_UNFOCUS:
            core_.FocusLost();
            return 1;
        default:
            return 0;  // no keyboard handling: Space and Enter do not press the button
    }
}

void Command::resize(int X, int Y, int W, int H) {
    const bool sized = W != w() || H != h();
    Fl_Widget::resize(X, Y, W, H);
    if (sized) core_.Resized();
}

void Command::RaiseClick() {
    if (onClick_) {
        auto handler = onClick_;  // the handler may replace itself or delete the button
        handler();
    }
}

void Command::NotifyChanged(const char* name) {
    if (container_) container_->PropertyChanged(name);
}

// ---- Pointer poll ----

void Command::StartPoll(int intervalMs) {
    pollTimer_.OnTimer([this] { PollPointer(); });
    pollTimer_.SetEnabled(true);
    pollTimer_.SetInterval(intervalMs);
}

void Command::PollPointer() {
    const platform::PointerHit hit = platform::WindowUnderPointer();
    if (!hit.found) return;  // nothing known about the pointer: leave the state alone
    Fl_Window* own = window();
    Fl_Window* form = top_window();
    // The button draws into its window's area; the part of that window inside the button's
    // rectangle counts as the button's own window.
    if (own && own->shown() && visible_r() &&
        hit.window == static_cast<platform::NativeWindow>(fl_xid(own)) && hit.windowX >= x() &&
        hit.windowX < x() + w() && hit.windowY >= y() && hit.windowY < y() + h()) {
        core_.PollTick(button::PointerPlace::OverWidget);
    } else if (form && form->shown() &&
               hit.window == static_cast<platform::NativeWindow>(fl_xid(form))) {
        core_.PollTick(button::PointerPlace::OverForm);
    } else {
        core_.PollTick(button::PointerPlace::Elsewhere);
    }
}
