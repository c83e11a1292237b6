// The message box, the file chooser and image decoding on FLTK 1.3 (see forms.h, picture.h).
#include <FL/Fl.H>
#include <FL/Fl_JPEG_Image.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_PNG_Image.H>
#include <FL/fl_ask.H>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "forms/fltk/chooser_filter.h"
#include "forms/fltk/fltk_form.h"
#include "platform/message_box.h"

namespace forms {

void MsgBox(const std::string& title, const std::string& text) {
    // The platform's box: its lines fit the monitor, and the message goes to standard error too.
    platform::ShowMessageBox(title, text);
}

std::optional<std::string> ChooseFile(const FileRequest& request) {
    // FLTK's own chooser: the same look and behaviour whether or not GTK is installed.
    Fl::option(Fl::OPTION_FNFC_USES_GTK, false);
    // The save type is the one whose OK button also takes a name that does not exist yet; no
    // overwrite question is asked, since SAVEAS_CONFIRM is not set.
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
    chooser.title(request.title.c_str());
    const std::string filter = fltk::ChooserFilter(request);
    chooser.filter(filter.c_str());
    chooser.directory(request.folder.c_str());
    if (chooser.show() != 0) return std::nullopt;
    const char* name = chooser.filename();
    if (!name || !*name) return std::nullopt;
    return std::string(name);
}

std::optional<ImageData> DecodeImage(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t kPng[] = {0x89, 'P', 'N', 'G'};
    std::unique_ptr<Fl_RGB_Image> image;
    if (!data || size < 4 || size > 0x7FFFFFFF) return std::nullopt;
    if (std::memcmp(data, kPng, 4) == 0)
        image = std::make_unique<Fl_PNG_Image>("image", data, static_cast<int>(size));
    else if (data[0] == 0xFF && data[1] == 0xD8)
        image = std::make_unique<Fl_JPEG_Image>("image", data);
    if (!image || image->w() <= 0 || image->h() <= 0 || image->count() < 1 || image->d() < 1 ||
        image->d() > 4)
        return std::nullopt;
    // Grey and grey-with-alpha become RGB and RGBA.
    const int depth = image->d();
    ImageData out;
    out.width = image->w();
    out.height = image->h();
    out.channels = depth >= 3 ? depth : depth + 2;
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height * out.channels);
    const auto* rows = reinterpret_cast<const std::uint8_t*>(image->data()[0]);
    const int stride = image->ld() ? image->ld() : out.width * depth;
    std::uint8_t* to = out.pixels.data();
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const std::uint8_t* p = rows + static_cast<std::size_t>(y) * stride + x * depth;
            if (depth >= 3) {
                to = std::copy_n(p, depth, to);
            } else {
                to = std::fill_n(to, 3, p[0]);
                if (depth == 2) *to++ = p[1];
            }
        }
    }
    return out;
}

}  // namespace forms
