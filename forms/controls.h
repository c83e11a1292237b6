// The controls of the forms runtime: the pieces a form is built from. Forms create them (see
// Form::Add... in forms.h) and own them; a control lives until its form unloads. Positions are in
// pixels of the client area of the container the control was created in (the form's, or a
// panel's inside its border). Colours are 0xRRGGBB. Events arrive through the event loop as
// std::function callbacks; a callback may unload the form that holds the control.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/picture.h"
#include "forms/property_store.h"

namespace forms {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

// Pointer buttons as events report them.
inline constexpr int kLeftButton = 1;
inline constexpr int kMiddleButton = 2;
inline constexpr int kRightButton = 3;

// What every control has.
class Control {
  public:
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    virtual Rect Bounds() const = 0;
    virtual void SetBounds(const Rect& bounds) = 0;
    // A disabled control takes no input and shows it.
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // Paints the control again at the next chance.
    virtual void Redraw() = 0;

  protected:
    Control() = default;
};

// A picture box: shows its persistent image, which keeps the box's size and the background
// colour where nothing has been drawn. Drawing goes into Image(), then Redraw(). Made directly
// (not through a form) it is an off-screen picture box: the same image, shown nowhere.
class PictureBox : public Control {
  public:
    PictureBox(int x, int y, int width, int height);

    Picture& Image() { return image_; }
    const Picture& Image() const { return image_; }
    // Background colour; Cls() clears the image to it.
    void SetBackColour(std::uint32_t rgb) { back_ = rgb & 0xFFFFFF; }
    void Cls();
    // Copies a rectangle of `source` to (dx, dy) of this box's image, clipped to both.
    void CopyFrom(const Picture& source, int sx, int sy, int w, int h, int dx, int dy);

    Rect Bounds() const override { return bounds_; }
    // A new size resizes the image too, keeping what fits; new parts get the background colour.
    void SetBounds(const Rect& bounds) override;
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    void Redraw() override {}

  private:
    Picture image_;
    std::uint32_t back_ = 0;
    Rect bounds_;
    bool enabled_ = true;
};

// A picture box that holds controls: a sunken border of kBorder pixels and, beneath the
// controls, a picture box (Surface()) covering its client area.
class Panel : public Control {
  public:
    static constexpr int kBorder = 2;
    virtual PictureBox& Surface() = 0;
};

// How a label draws its text.
struct LabelStyle {
    FontSpec font;
    std::uint32_t colour = 0x000000;
    bool centred = false;
    bool underlined = false;
    // A sunken frame round the text; a framed label wraps its text at any character (paths have
    // no blanks to break at).
    bool framed = false;
};

// A label: text drawn as it stands (no character is special), on a transparent background
// (whatever the container paints shows through) unless framed.
class Label : public Control {
  public:
    virtual const std::string& Text() const = 0;
    virtual void SetText(std::string text) = 0;
    virtual void SetStyle(const LabelStyle& style) = 0;
    // Makes the label as wide as its text in its font; the height stays.
    virtual void AutoSize() = 0;
    // Any pointer button going down over the label.
    virtual void OnMouseDown(std::function<void(int button)> handler) = 0;
    // The left button pressed and released over the label.
    virtual void OnClick(std::function<void()> handler) = 0;
    // The pointer's look while it is over the label (an RGBA image and its hot spot); an empty
    // image leaves the pointer alone.
    virtual void SetCursor(const ImageData& cursor, int hotX, int hotY) = 0;
    // Shows the label's pointer again if the pointer is over it (after SetScreenMousePointer).
    virtual void RefreshCursor() = 0;
};

// An option button drawn with two pictures, one for each state; it changes state only when told
// to (the form decides what a press means).
class OptionButton : public Control {
  public:
    virtual bool Value() const = 0;
    virtual void SetValue(bool on) = 0;
    // Any pointer button going down over it.
    virtual void OnMouseDown(std::function<void(int button)> handler) = 0;
};

// An image control: shows one picture at its top-left corner, or stretched to its size.
class ImageBox : public Control {
  public:
    virtual void SetPicture(ImageData picture) = 0;
    // Stretched pictures are scaled smoothly (bilinear).
    virtual void SetStretch(bool stretch) = 0;
};

// A combo box whose text field takes typed text, with a drop-down list of entries on a white
// field.
class ComboBox : public Control {
  public:
    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;
    virtual void SetItems(std::vector<std::string> items) = 0;
    virtual void SetFont(const FontSpec& font) = 0;
};

// A rectangle shape: a black one-pixel frame, not filled.
class FrameShape : public Control {};

// Where the pointer is, as a paint surface sees it.
enum class PointerPlace {
    OverControl,  // over the surface itself
    OverForm,     // over the form that holds it, outside the surface
    Elsewhere,
    Unknown,  // nothing could be found out (no display, another screen)
};

// Text drawn over a paint surface's face: at the top of `area` (surface pixels), centred across
// it, wrapped at its width and clipped to it; greyed (a white shadow under grey text) when not
// enabled; the font's underline and strikethrough drawn as lines.
struct CaptionText {
    std::string text;
    FontSpec font;
    std::uint32_t colour = 0x000000;
    Rect area;
    bool enabled = true;
};

// A surface that a custom control paints on: it shows an RGB face and a caption over it, and
// reports the pointer, the buttons and the keyboard focus. It takes no keys.
class PaintSurface : public Control {
  public:
    struct Events {
        std::function<void()> pointerMoved;  // over the surface, also while a button is held
        std::function<void(int button)> pressed;
        std::function<void(int button)> released;  // may destroy the surface's form
        std::function<void(bool gained)> focusChanged;
        // Asked before the surface takes the focus; none means always.
        std::function<bool()> acceptsFocus;
        std::function<void()> resized;
    };
    // A press over the surface reports the pointer first, then gives the surface the focus when
    // it accepts it, then reports the press.
    virtual void SetEvents(Events events) = 0;
    // The face, as large as the surface, or null for a transparent face: what lies beneath (the
    // container's background) shows through.
    virtual void SetFace(const Picture* face) = 0;
    virtual void SetCaption(CaptionText caption) = 0;
    virtual PointerPlace WherePointer() const = 0;
};

}  // namespace forms
