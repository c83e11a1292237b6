// Zentrova_R, the preview form: the built-in still picture, stretched to fill the window that
// the system hands over on the command line and embedded in it as a child window. The program
// ends when the form goes, which happens when the parent window (or the form's own) is destroyed.
#include <FL/Enumerations.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_JPEG_Image.H>
#include <FL/Fl_Widget.H>

#include <cstddef>
#include <memory>
#include <optional>

#include "host/forms.h"
#include "host/preview_geometry.h"
#include "host/roles.h"
#include "host/zentrova_b.h"
#include "platform/platform.h"

// assets/preview/preview.jpg, compiled in.
extern const unsigned char PreviewPicture[];
extern const std::size_t PreviewPicture_size;

namespace Zentrova_R {
namespace {

// An image control that stretches its picture to its own size.
class StretchedImage : public Fl_Widget {
  public:
    StretchedImage(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) { box(FL_NO_BOX); }

    void SetPicture(std::unique_ptr<Fl_Image> picture) {
        picture_ = std::move(picture);
        scaled_.reset();
        redraw();
    }

  protected:
    void draw() override {
        if (!picture_ || picture_->w() <= 0 || picture_->h() <= 0 || w() <= 0 || h() <= 0) return;
        if (!scaled_ || scaled_->w() != w() || scaled_->h() != h()) {
            // FLTK scales by picking the nearest pixel unless told otherwise.
            Fl_RGB_Image::RGB_scaling(FL_RGB_SCALING_BILINEAR);
            scaled_.reset(picture_->copy(w(), h()));
        }
        scaled_->draw(x(), y());
    }

  private:
    std::unique_ptr<Fl_Image> picture_;
    std::unique_ptr<Fl_Image> scaled_;
};

class PreviewForm : public forms::Form {
  public:
    PreviewForm() : Form(152, 112, "Preview Window") {}

    StretchedImage* Img_Prev = nullptr;

  protected:
    Fl_Double_Window* MakeWindow(int width, int height, const char* caption) override {
        auto* window = new Fl_Double_Window(width, height, caption);
        // Borderless and override-redirect: no window manager frames or places the window in
        // the moment between showing it and making it a child of the parent.
        window->set_override();
        window->color(fl_rgb_color(0xC0, 0xC0, 0xC0));
        return window;
    }

    void CreateControls(Fl_Double_Window& window) override {
        Img_Prev = new StretchedImage(0, 0, window.w(), window.h());
        // The picture is our own compiled-in asset; FLTK reads it straight from memory.
        auto picture = std::make_unique<Fl_JPEG_Image>("preview.jpg", PreviewPicture);
        if (picture->w() > 0 && picture->h() > 0) Img_Prev->SetPicture(std::move(picture));
    }

    // With the preview gone no form of the program remains.
    void Form_Unload(bool&) override { forms::End(0); }
};

// Lives for the rest of the program; never destroyed (the program ends through forms::End).
PreviewForm* form = nullptr;

}  // namespace

void PreviewSetup(std::string_view commandLine) {
    using namespace Zentrova_B;
    const std::int32_t parent = ParentHandle(commandLine);
    // A preview that nobody can see or close would live forever: a missing, zero or bad
    // handle ends the program at once.
    const auto rect = parent > 0
                          ? platform::WindowScreenRect(static_cast<platform::NativeWindow>(parent))
                          : std::nullopt;
    LastApiResult = rect ? 1 : 0;
    if (!rect) forms::End(0);

    const double twipsX = forms::TwipsPerPixelX();
    const double twipsY = forms::TwipsPerPixelY();
    PreviewLeft = 0;
    PreviewTop = 0;
    PreviewWidth = PixelsToTwips(rect->right - rect->left, twipsX);
    PreviewHeight = PixelsToTwips(rect->bottom - rect->top, twipsY);

    if (!form) form = new PreviewForm;
    if (!form->Load()) forms::End(0);
    const int left = TwipsToPixels(PreviewLeft, twipsX);
    const int top = TwipsToPixels(PreviewTop, twipsY);
    const int width = TwipsToPixels(PreviewWidth, twipsX);
    const int height = TwipsToPixels(PreviewHeight, twipsY);
    form->Window()->resize(left, top, width, height);
    form->Img_Prev->resize(0, 0, width, height);

    // An X window exists only once the form is shown, so it is made a child of the parent
    // right after: the child style and the new parent in one step.
    form->Show();
    // FLTK leaves an override-redirect window untitled when it creates it; captioning the shown
    // window gives it its title.
    form->SetCaption(form->Caption());
    const bool embedded =
        platform::EmbedWindow(form->WindowId(), static_cast<platform::NativeWindow>(parent), left,
                              top, [] { form->Unload(); });
    LastApiResult = embedded ? 1 : 0;
    if (!embedded) forms::End(0);  // the parent went away in the meantime
}

}  // namespace Zentrova_R
