// Zentrova_R, the preview form: the built-in still picture, stretched to fill the window that
// the system hands over on the command line and embedded in it as a child window. The program
// ends when the form goes, which happens when the parent window (or the form's own) is destroyed.
#include <cstddef>
#include <memory>
#include <optional>

#include "embedded_files.h"  // PreviewPicture: assets/preview/preview.jpg
#include "forms/forms.h"
#include "host/preview_geometry.h"
#include "host/roles.h"
#include "host/zentrova_b.h"
#include "platform/base.h"
#include "platform/window_system.h"

namespace Zentrova_R {
namespace {

class PreviewForm : public forms::Form {
  public:
    PreviewForm() : Form(152, 112, "Preview Window") {
        forms::FormStyle style;
        // Borderless and unmanaged: no window manager frames or places the window in the moment
        // between showing it and making it a child of the parent.
        style.titleBar = false;
        style.unmanaged = true;
        style.backColour = 0xC0C0C0;
        SetStyle(std::move(style));
    }

    forms::ImageBox* Img_Prev = nullptr;

  protected:
    void CreateControls() override {
        const forms::Rect client = Bounds();
        Img_Prev = AddImageBox({0, 0, client.width, client.height});
        Img_Prev->SetStretch(true);
        // The picture is our own compiled-in asset.
        if (auto picture = forms::DecodeImage(PreviewPicture, PreviewPicture_size))
            Img_Prev->SetPicture(std::move(*picture));
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
    form->SetBounds({left, top, width, height});
    form->Img_Prev->SetBounds({0, 0, width, height});

    // An X window exists only once the form is shown, so it is made a child of the parent
    // right after: the child style and the new parent in one step.
    form->Show();
    // An unmanaged window may be left untitled when it is created; captioning the shown window
    // gives it its title.
    form->SetCaption(form->Caption());
    const bool embedded =
        platform::EmbedWindow(form->WindowId(), static_cast<platform::NativeWindow>(parent), left,
                              top, [] { form->Unload(); });
    LastApiResult = embedded ? 1 : 0;
    if (!embedded) forms::End(0);  // the parent went away in the meantime
}

}  // namespace Zentrova_R
