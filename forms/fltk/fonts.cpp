// Fonts on FLTK: the faces the captions were designed with map to fonts that Debian installs
// (FLTK has no glyph fallback, so Japanese text needs a Japanese font by name).
#include <FL/Fl.H>

#include <cmath>
#include <map>
#include <string>

#include "forms/fltk/fltk_form.h"

namespace forms::fltk {
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

}  // namespace

Fl_Font FontFor(const FontSpec& font) {
    // FLTK knows fonts by number; each face and style gets its own, handed out from a range that
    // nothing else uses.
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

void UseJapaneseDefaultFont() {
    // FLTK's own dialogs (the file chooser, the message box) and menus draw with its default
    // face; file names and messages may be Japanese.
    static bool done = false;
    if (done) return;
    done = true;
    Fl::set_font(FL_HELVETICA, " IPAPGothic");
}

int PixelSize(const FontSpec& font) {
    return std::max(1, static_cast<int>(std::lround(font.size * 96.0 / 72.0)));
}

}  // namespace forms::fltk
