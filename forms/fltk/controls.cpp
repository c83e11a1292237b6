// The controls on FLTK 1.3 (see controls.h): picture box, panel, label, option button, image,
// combo box and frame shape, and the form's functions that create them.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/fl_draw.H>
#include <FL/fl_utf8.h>

#include <algorithm>
#include <utility>

#include "forms/fltk/fltk_form.h"

namespace forms::fltk {
namespace {

// The pointer button of the event being handled, numbered as controls.h numbers them.
int EventButton() {
    return Fl::event_button();
}

// ---- Picture box -------------------------------------------------------------------------------

class PictureBoxWidget : public PictureBox, public Fl_Widget {
  public:
    PictureBoxWidget(const Placement& at, const Rect& r)
        : PictureBox(r.x, r.y, r.width, r.height),
          Fl_Widget(at.originX + r.x, at.originY + r.y, r.width, r.height),
          originX_(at.originX),
          originY_(at.originY) {
        box(FL_NO_BOX);
    }

    void SetBounds(const Rect& r) override {
        resize(originX_ + r.x, originY_ + r.y, r.width, r.height);
    }
    bool Enabled() const override { return active() != 0; }
    void SetEnabled(bool enabled) override {
        if (enabled)
            activate();
        else
            deactivate();
    }
    void Redraw() override { redraw(); }

    // Also reached when the window resizes its children.
    void resize(int x, int y, int w, int h) override {
        Fl_Widget::resize(x, y, w, h);
        PictureBox::SetBounds({x - originX_, y - originY_, w, h});
    }

  protected:
    void draw() override {
        const Picture& image = Image();
        if (image.width > 0 && image.height > 0)
            fl_draw_image(image.rgb.data(), x(), y(), image.width, image.height, 3,
                          image.width * 3);
    }

  private:
    int originX_, originY_;
};

// ---- Panel -------------------------------------------------------------------------------------

class PanelWidget : public ControlShell<Panel, Fl_Group> {
  public:
    PanelWidget(const Placement& at, const Rect& r) : ControlShell(at, r) {
        box(FL_DOWN_FRAME);
        surface_ = new PictureBoxWidget(
            {this, x() + kBorder, y() + kBorder},
            {0, 0, std::max(0, r.width - 2 * kBorder), std::max(0, r.height - 2 * kBorder)});
        end();
    }
    PictureBox& Surface() override { return *surface_; }

  private:
    PictureBoxWidget* surface_;
};

// ---- Label -------------------------------------------------------------------------------------

class LabelWidget : public ControlShell<Label, Fl_Box> {
  public:
    LabelWidget(const Placement& at, const Rect& r, std::string text)
        : ControlShell(at, r), text_(std::move(text)) {
        box(FL_NO_BOX);
    }

    const std::string& Text() const override { return text_; }
    void SetText(std::string text) override {
        text_ = std::move(text);
        // Transparent: the parent repaints the background behind the old text.
        if (parent()) parent()->redraw();
        redraw();
    }
    void SetStyle(const LabelStyle& style) override {
        style_ = style;
        font_ = FontFor(style.font);
        size_ = PixelSize(style.font);
        redraw();
    }
    void AutoSize() override {
        fl_font(font_, size_);
        size(static_cast<int>(fl_width(text_.c_str(), static_cast<int>(text_.size()))) + 1, h());
    }
    void OnMouseDown(std::function<void(int)> handler) override {
        onMouseDown_ = std::move(handler);
    }
    void OnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }
    void SetCursor(const ImageData& cursor, int hotX, int hotY) override {
        cursor_ = MakeImage(cursor);
        hotX_ = hotX;
        hotY_ = hotY;
    }
    void RefreshCursor() override {
        if (window() && cursor_ && Fl::belowmouse() == this)
            window()->cursor(cursor_->image.get(), hotX_, hotY_);
    }

  protected:
    void draw() override;
    int handle(int event) override;

  private:
    std::vector<std::string> Lines(int width) const;

    std::string text_;
    LabelStyle style_;
    Fl_Font font_ = FontFor(FontSpec{});
    int size_ = PixelSize(FontSpec{});
    std::function<void(int)> onMouseDown_;
    std::function<void()> onClick_;
    std::unique_ptr<OwnedImage> cursor_;
    int hotX_ = 0, hotY_ = 0;
    bool pressed_ = false;
};

std::vector<std::string> LabelWidget::Lines(int width) const {
    if (!style_.framed) return {text_};
    // A framed label breaks its text wherever the next character would pass the right edge.
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

void LabelWidget::draw() {
    const int inset = style_.framed ? 2 : 0;
    if (style_.framed) fl_draw_box(FL_DOWN_FRAME, x(), y(), w(), h(), FL_BLACK);
    fl_push_clip(x() + inset, y() + inset, w() - 2 * inset, h() - 2 * inset);
    fl_font(font_, size_);
    fl_color(ToFl(style_.colour));
    int baseline = y() + inset + fl_height() - fl_descent();
    for (const std::string& line : Lines(w() - 2 * inset)) {
        const int width = static_cast<int>(fl_width(line.c_str()));
        const int left = style_.centred ? x() + (w() - width) / 2 : x() + inset;
        // The plain form of fl_draw: no "@" symbols, no "&" shortcuts.
        fl_draw(line.c_str(), left, baseline);
        // The underline keeps inside the label even when the font's descent does not.
        if (style_.underlined)
            fl_xyline(left, std::min(baseline + 1, y() + h() - 1), left + width - 1);
        baseline += fl_height();
    }
    fl_pop_clip();
}

int LabelWidget::handle(int event) {
    Fl_Window* win = window();
    switch (event) {
        case FL_ENTER:
            if (win && cursor_) win->cursor(cursor_->image.get(), hotX_, hotY_);
            return cursor_ || onClick_ ? 1 : Fl_Box::handle(event);
        case FL_LEAVE:
            if (win && cursor_) win->cursor(FL_CURSOR_DEFAULT);
            return cursor_ || onClick_ ? 1 : Fl_Box::handle(event);
        case FL_PUSH:
            if (onMouseDown_) onMouseDown_(EventButton());
            pressed_ = Fl::event_button() == FL_LEFT_MOUSE;
            return onMouseDown_ || onClick_ ? 1 : Fl_Box::handle(event);
        case FL_RELEASE:
            if (pressed_ && Fl::event_button() == FL_LEFT_MOUSE && Fl::event_inside(this) &&
                onClick_) {
                pressed_ = false;
                auto handler = onClick_;  // the handler may unload the form
                handler();
                return 1;
            }
            pressed_ = false;
            return 1;
        default:
            return Fl_Box::handle(event);
    }
}

// ---- Option button -----------------------------------------------------------------------------

class OptionButtonWidget : public ControlShell<OptionButton, Fl_Box> {
  public:
    OptionButtonWidget(const Placement& at, const Rect& r, ImageData off, ImageData on)
        : ControlShell(at, r), off_(MakeImage(std::move(off))), on_(MakeImage(std::move(on))) {
        box(FL_NO_BOX);
    }
    bool Value() const override { return value_; }
    void SetValue(bool on) override {
        value_ = on;
        redraw();
    }
    void OnMouseDown(std::function<void(int)> handler) override {
        onMouseDown_ = std::move(handler);
    }

  protected:
    void draw() override {
        const auto& picture = value_ ? on_ : off_;
        if (picture) picture->image->draw(x(), y());
    }
    int handle(int event) override {
        if (event == FL_PUSH && onMouseDown_) {
            onMouseDown_(EventButton());
            return 1;
        }
        return Fl_Box::handle(event);
    }

  private:
    std::unique_ptr<OwnedImage> off_, on_;
    bool value_ = false;
    std::function<void(int)> onMouseDown_;
};

// ---- Image -------------------------------------------------------------------------------------

class ImageBoxWidget : public ControlShell<ImageBox, Fl_Box> {
  public:
    ImageBoxWidget(const Placement& at, const Rect& r) : ControlShell(at, r) { box(FL_NO_BOX); }
    void SetPicture(ImageData picture) override {
        picture_ = MakeImage(std::move(picture));
        scaled_.reset();
        redraw();
    }
    void SetStretch(bool stretch) override {
        stretch_ = stretch;
        redraw();
    }

  protected:
    void draw() override {
        if (!picture_ || w() <= 0 || h() <= 0) return;
        if (!stretch_) return picture_->image->draw(x(), y());
        if (!scaled_ || scaled_->w() != w() || scaled_->h() != h()) {
            // FLTK scales by picking the nearest pixel unless told otherwise.
            Fl_RGB_Image::RGB_scaling(FL_RGB_SCALING_BILINEAR);
            scaled_.reset(picture_->image->copy(w(), h()));
        }
        scaled_->draw(x(), y());
    }

  private:
    std::unique_ptr<OwnedImage> picture_;
    std::unique_ptr<Fl_Image> scaled_;
    bool stretch_ = false;
};

// ---- Combo box ---------------------------------------------------------------------------------

class ComboBoxWidget : public ControlShell<ComboBox, Fl_Input_Choice> {
  public:
    ComboBoxWidget(const Placement& at, const Rect& r) : ControlShell(at, r) {
        input()->color(FL_WHITE);
    }
    std::string Text() const override {
        const char* text = const_cast<ComboBoxWidget*>(this)->value();
        return text ? text : "";
    }
    void SetText(std::string_view text) override { value(std::string(text).c_str()); }
    void SetItems(std::vector<std::string> items) override {
        items_ = std::move(items);
        // Menu items point at the texts as they are: "/" and "&" stay plain characters.
        menu_.clear();
        for (const std::string& text : items_) {
            Fl_Menu_Item item{};
            item.text = text.c_str();
            menu_.push_back(item);
        }
        menu_.push_back(Fl_Menu_Item{});  // the end of the menu
        menubutton()->menu(menu_.data());
    }
    void SetFont(const FontSpec& font) override {
        textfont(FontFor(font));
        textsize(PixelSize(font));
    }

  private:
    std::vector<std::string> items_;
    std::vector<Fl_Menu_Item> menu_;
};

// ---- Frame shape -------------------------------------------------------------------------------

class FrameShapeWidget : public ControlShell<FrameShape, Fl_Box> {
  public:
    using ControlShell::ControlShell;

  protected:
    void draw() override {
        fl_color(FL_BLACK);
        fl_rect(x(), y(), w(), h());
    }
};

}  // namespace

std::unique_ptr<OwnedImage> MakeImage(ImageData data) {
    if (data.Empty() || data.channels < 1 || data.channels > 4 ||
        data.pixels.size() < static_cast<std::size_t>(data.width) * data.height * data.channels)
        return nullptr;
    auto owned = std::make_unique<OwnedImage>();
    owned->data = std::move(data);
    owned->image = std::make_unique<Fl_RGB_Image>(owned->data.pixels.data(), owned->data.width,
                                                  owned->data.height, owned->data.channels);
    return owned;
}

}  // namespace forms::fltk

namespace forms {

PictureBox* Form::AddPictureBox(const Rect& bounds, Panel* in) {
    return fltk::Create<fltk::PictureBoxWidget>(NativePart(), in, bounds);
}
Panel* Form::AddPanel(const Rect& bounds, Panel* in) {
    return fltk::Create<fltk::PanelWidget>(NativePart(), in, bounds);
}
Label* Form::AddLabel(const Rect& bounds, std::string text, Panel* in) {
    return fltk::Create<fltk::LabelWidget>(NativePart(), in, bounds, std::move(text));
}
OptionButton* Form::AddOptionButton(const Rect& bounds, ImageData off, ImageData on, Panel* in) {
    return fltk::Create<fltk::OptionButtonWidget>(NativePart(), in, bounds, std::move(off),
                                                  std::move(on));
}
ImageBox* Form::AddImageBox(const Rect& bounds, Panel* in) {
    return fltk::Create<fltk::ImageBoxWidget>(NativePart(), in, bounds);
}
ComboBox* Form::AddComboBox(const Rect& bounds, Panel* in) {
    return fltk::Create<fltk::ComboBoxWidget>(NativePart(), in, bounds);
}
FrameShape* Form::AddFrameShape(const Rect& bounds, Panel* in) {
    return fltk::Create<fltk::FrameShapeWidget>(NativePart(), in, bounds);
}

}  // namespace forms
