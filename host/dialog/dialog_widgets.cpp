// The settings dialog's small FLTK controls (see dialog_widgets.h).
#include "host/dialog/dialog_widgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/fl_utf8.h>

#include <algorithm>

namespace Zentrova_P {

// ---- DialogWindow
// ---------------------------------------------------------------------------------

void DialogWindow::SetGradient(std::vector<Rgb> rows) {
    rows_ = std::move(rows);
    redraw();
}

void DialogWindow::show() {
    // The client area gets its size when the window first shows.
    if (!sized_ && onResize_) onResize_();
    sized_ = true;
    Fl_Double_Window::show();
}

void DialogWindow::resize(int x, int y, int w, int h) {
    const bool newSize = w != this->w() || h != this->h();
    Fl_Double_Window::resize(x, y, w, h);
    if (newSize && onResize_) onResize_();
}

void DialogWindow::draw() {
    // Only a full repaint lays down the background; a child that repaints alone draws over
    // what the back buffer already holds.
    if (damage() & ~FL_DAMAGE_CHILD) {
        fl_rectf(0, 0, w(), h(), fl_rgb_color(0xC0, 0xC0, 0xC0));
        for (std::size_t y = 0; y < rows_.size(); ++y) {
            fl_color(fl_rgb_color(rows_[y].r, rows_[y].g, rows_[y].b));
            fl_line(0, static_cast<int>(y), w(), static_cast<int>(y));
        }
    }
    draw_children();
}

// ---- Panel
// ------------------------------------------------------------------------------------------

Panel::Panel(int x, int y, int w, int h) : Fl_Group(x, y, w, h) {
    box(FL_DOWN_FRAME);
    surface_ = new forms::PictureBox(x + kBorder, y + kBorder, std::max(0, w - 2 * kBorder),
                                     std::max(0, h - 2 * kBorder));
    end();
}

// ---- TextLabel
// ------------------------------------------------------------------------------------

TextLabel::TextLabel(int x, int y, int w, int h, std::string text)
    : Fl_Box(x, y, w, h), text_(std::move(text)) {
    box(FL_NO_BOX);
}

void TextLabel::SetText(std::string text) {
    text_ = std::move(text);
    // Transparent: the parent repaints the background behind the old text.
    if (parent()) parent()->redraw();
    redraw();
}

void TextLabel::SetFontFace(Fl_Font font, int size) {
    font_ = font;
    size_ = size;
}

void TextLabel::AutoSize() {
    fl_font(font_, size_);
    size(static_cast<int>(fl_width(text_.c_str(), static_cast<int>(text_.size()))) + 1, h());
}

std::vector<std::string> TextLabel::Lines(int width) const {
    if (!framed_) return {text_};
    // A framed label breaks its text wherever the next character would pass the right edge
    // (paths have no blanks to break at).
    std::vector<std::string> lines(1);
    const char* p = text_.c_str();
    const char* end = p + text_.size();
    while (p < end) {
        int len = 0;
        fl_utf8decode(p, end, &len);
        len = std::max(len, 1);
        std::string candidate = lines.back() + std::string(p, static_cast<std::size_t>(len));
        if (!lines.back().empty() && fl_width(candidate.c_str()) > width)
            lines.emplace_back(p, static_cast<std::size_t>(len));
        else
            lines.back() = std::move(candidate);
        p += len;
    }
    return lines;
}

void TextLabel::draw() {
    const int inset = framed_ ? 2 : 0;
    if (framed_) fl_draw_box(FL_DOWN_FRAME, x(), y(), w(), h(), FL_BLACK);
    fl_push_clip(x() + inset, y() + inset, w() - 2 * inset, h() - 2 * inset);
    fl_font(font_, size_);
    fl_color(colour_);
    int baseline = y() + inset + fl_height() - fl_descent();
    for (const std::string& line : Lines(w() - 2 * inset)) {
        const int width = static_cast<int>(fl_width(line.c_str()));
        const int left = centred_ ? x() + (w() - width) / 2 : x() + inset;
        // The plain form of fl_draw: no "@" symbols, no "&" shortcuts.
        fl_draw(line.c_str(), left, baseline);
        // The underline keeps inside the label even when the font's descent does not.
        if (underlined_) fl_xyline(left, std::min(baseline + 1, y() + h() - 1), left + width - 1);
        baseline += fl_height();
    }
    fl_pop_clip();
}

int TextLabel::handle(int event) {
    if (event == FL_PUSH && onMouseDown_) {
        onMouseDown_();
        return 1;
    }
    return Fl_Box::handle(event);
}

// ---- ImageBox
// -------------------------------------------------------------------------------------

void ImageBox::SetPicture(Fl_RGB_Image* picture) {
    picture_ = picture;
    redraw();
}

void ImageBox::draw() {
    if (picture_) picture_->draw(x(), y());
}

int ImageBox::handle(int event) {
    if (event == FL_PUSH && onMouseDown_) {
        onMouseDown_();
        return 1;
    }
    return Fl_Box::handle(event);
}

// ---- FrameShape
// -----------------------------------------------------------------------------------

void FrameShape::draw() {
    fl_color(FL_BLACK);
    fl_rect(x(), y(), w(), h());
}

// ---- LinkLabel
// ------------------------------------------------------------------------------------

void LinkLabel::SetCursor(Fl_RGB_Image* cursor, int hotX, int hotY) {
    cursor_ = cursor;
    hotX_ = hotX;
    hotY_ = hotY;
}

void LinkLabel::RefreshCursor() {
    Fl_Window* win = window();
    if (!win || !cursor_) return;
    if (Fl::belowmouse() == this) win->cursor(cursor_, hotX_, hotY_);
}

int LinkLabel::handle(int event) {
    Fl_Window* win = window();
    switch (event) {
        case FL_ENTER:
            if (win && cursor_) win->cursor(cursor_, hotX_, hotY_);
            return 1;
        case FL_LEAVE:
            if (win) win->cursor(FL_CURSOR_DEFAULT);
            return 1;
        case FL_PUSH:
            pressed_ = Fl::event_button() == FL_LEFT_MOUSE;
            return 1;
        case FL_RELEASE:
            if (pressed_ && Fl::event_button() == FL_LEFT_MOUSE && Fl::event_inside(this) &&
                onClick_) {
                pressed_ = false;
                onClick_();
            }
            pressed_ = false;
            return 1;
        default:
            return TextLabel::handle(event);
    }
}

}  // namespace Zentrova_P
