// The FLTK backend's own declarations: a form's native part (its window), the window class, the
// controls' common shell, fonts and colours. Only the backend's files include this.
#pragma once

#include <FL/Enumerations.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Widget.H>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "forms/forms.h"

namespace forms::fltk {

class FormWindow;

// An FLTK image over a copy of decoded pixels, which it keeps alive; nullptr for an empty image.
struct OwnedImage {
    ImageData data;
    std::unique_ptr<Fl_RGB_Image> image;
};
std::unique_ptr<OwnedImage> MakeImage(ImageData data);

inline Fl_Color ToFl(std::uint32_t rgb) {
    return fl_rgb_color((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The FLTK font for a font object (faces that stand in for the designed ones chosen by name),
// and its size in pixels at 96 dots per inch.
Fl_Font FontFor(const FontSpec& font);
int PixelSize(const FontSpec& font);
// Makes FLTK's default face one with Japanese glyphs; once, before the first window.
void UseJapaneseDefaultFont();

// Where a control goes: the group that holds it and the window coordinates of that
// container's client area.
struct Placement {
    Fl_Group* group = nullptr;
    int originX = 0, originY = 0;
};

// The common part of every control: position relative to its container, enabled state.
template <class Interface, class Widget>
class ControlShell : public Interface, public Widget {
  public:
    ControlShell(const Placement& at, const Rect& r)
        : Widget(at.originX + r.x, at.originY + r.y, r.width, r.height),
          originX_(at.originX),
          originY_(at.originY) {}

    Rect Bounds() const override {
        return {this->x() - originX_, this->y() - originY_, this->w(), this->h()};
    }
    void SetBounds(const Rect& r) override {
        this->resize(originX_ + r.x, originY_ + r.y, r.width, r.height);
    }
    bool Enabled() const override { return this->active() != 0; }
    void SetEnabled(bool enabled) override {
        if (enabled)
            this->activate();
        else
            this->deactivate();
        this->redraw();
    }
    void Redraw() override { this->redraw(); }

  protected:
    int originX_, originY_;
};

}  // namespace forms::fltk

namespace forms {

// A form's window on FLTK, with the unmapped X window that stands in for it while it is hidden.
struct Form::Native {
    Form* form = nullptr;
    fltk::FormWindow* window = nullptr;
    NativeWindow standIn = 0;
    std::unique_ptr<fltk::OwnedImage> icon;

    // The form's handlers, for the window.
    void Resized() { form->Form_Resize(); }
    void CloseRequested() { form->Unload(UnloadMode::ControlMenu); }
    // Creates or destroys the stand-in as the window is hidden or shown.
    void UpdateStandIn();
    fltk::Placement PlaceIn(Panel* panel) const;
};

}  // namespace forms

namespace forms::fltk {

// Makes a control of type W inside the container `in` (the form's client area when null) of the
// form whose native part is `native`; nullptr when the form is not loaded.
template <class W, class... Args>
W* Create(const Form::Native* native, Panel* in, const Rect& r, Args&&... args) {
    if (!native) return nullptr;
    const Placement at = native->PlaceIn(in);
    Fl_Group* const previous = Fl_Group::current();
    Fl_Group::current(at.group);
    auto* widget = new W(at, r, std::forward<Args>(args)...);
    Fl_Group::current(previous);
    return widget;
}

}  // namespace forms::fltk
