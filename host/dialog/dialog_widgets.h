// The settings dialog's small FLTK controls: the window that paints the background gradient,
// the textured panel, text labels drawn without FLTK's "@" symbols, the radio images, the frame
// shape and the web-address label with its hand cursor.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_RGB_Image.H>

#include <functional>
#include <string>
#include <vector>

#include "host/dialog/dialog_logic.h"
#include "host/forms.h"

namespace Zentrova_P {

// The dialog's window: paints its stored gradient rows behind the controls.
class DialogWindow : public Fl_Double_Window {
  public:
    DialogWindow(int w, int h, const char* caption) : Fl_Double_Window(w, h, caption) {}

    // Called when the client area gets its size: when the window first shows, and on resizes.
    void OnResize(std::function<void()> handler) { onResize_ = std::move(handler); }
    void SetGradient(std::vector<Rgb> rows);

    void show() override;
    void resize(int x, int y, int w, int h) override;

  protected:
    void draw() override;

  private:
    std::function<void()> onResize_;
    std::vector<Rgb> rows_;
    bool sized_ = false;
};

// A picture box that holds controls: a border of its own and, beneath the controls, a
// persistent drawing surface (Surface()) that covers its client area.
class Panel : public Fl_Group {
  public:
    static constexpr int kBorder = 2;
    Panel(int x, int y, int w, int h);
    forms::PictureBox& Surface() { return *surface_; }
    // Client-area coordinates to the window's.
    int ClientX(int x) const { return this->x() + kBorder + x; }
    int ClientY(int y) const { return this->y() + kBorder + y; }

  private:
    forms::PictureBox* surface_;
};

// A transparent label. Its text is drawn as it stands ("@" and "&" are not special) in one
// font; it can be underlined, framed, centred, and wraps at any character when it is framed.
class TextLabel : public Fl_Box {
  public:
    TextLabel(int x, int y, int w, int h, std::string text);
    void SetText(std::string text);
    const std::string& Text() const { return text_; }
    void SetFontFace(Fl_Font font, int size);
    void SetColour(Fl_Color colour) { colour_ = colour; }
    void SetCentred(bool centred) { centred_ = centred; }
    void SetUnderlined(bool underlined) { underlined_ = underlined; }
    void SetFramed(bool framed) { framed_ = framed; }
    // Makes the label as wide as its text (the height stays).
    void AutoSize();
    // Any mouse button going down on the label.
    void OnMouseDown(std::function<void()> handler) { onMouseDown_ = std::move(handler); }

  protected:
    void draw() override;
    int handle(int event) override;

  private:
    std::vector<std::string> Lines(int width) const;

    std::string text_;
    Fl_Font font_ = FL_HELVETICA;
    int size_ = 13;
    Fl_Color colour_ = FL_BLACK;
    bool centred_ = false;
    bool underlined_ = false;
    bool framed_ = false;
    std::function<void()> onMouseDown_;
};

// An image control showing one picture at its top-left corner; reacts to any mouse button.
class ImageBox : public Fl_Box {
  public:
    ImageBox(int x, int y, int w, int h) : Fl_Box(x, y, w, h) {}
    void SetPicture(Fl_RGB_Image* picture);
    void OnMouseDown(std::function<void()> handler) { onMouseDown_ = std::move(handler); }

  protected:
    void draw() override;
    int handle(int event) override;

  private:
    Fl_RGB_Image* picture_ = nullptr;
    std::function<void()> onMouseDown_;
};

// A rectangle shape: a black one-pixel frame, not filled.
class FrameShape : public Fl_Box {
  public:
    FrameShape(int x, int y, int w, int h) : Fl_Box(x, y, w, h) {}

  protected:
    void draw() override;
};

// A label that shows `cursor` while the pointer is over it and reports left-button clicks.
class LinkLabel : public TextLabel {
  public:
    LinkLabel(int x, int y, int w, int h, std::string text)
        : TextLabel(x, y, w, h, std::move(text)) {}
    void SetCursor(Fl_RGB_Image* cursor, int hotX, int hotY);
    void OnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
    // Shows the hand again when the pointer is over the label (after the pointer was reset).
    void RefreshCursor();

  protected:
    int handle(int event) override;

  private:
    Fl_RGB_Image* cursor_ = nullptr;
    int hotX_ = 0, hotY_ = 0;
    bool pressed_ = false;
    std::function<void()> onClick_;
};

}  // namespace Zentrova_P
