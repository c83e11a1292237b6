// FLTK's global options without its preference files. FLTK 1.3 reads its options on the first
// Fl::option() call, which every focused button makes: it opens the system-wide
// (/etc/fltk/fltk.org/fltk.prefs) and the user's (~/.fltk/fltk.org/fltk.prefs) preferences, adds
// an "options" group to each and so marks them changed, and writes both back when they close,
// creating the folders too; as root that rewrites the system-wide file. FLTK has no public way to
// skip that read, so the option table is given FLTK's documented defaults and marked read
// before any widget asks; the preference files are then never touched.
#include <FL/Fl.H>

#include "platform/fltk/toolkit.h"

namespace platform {
namespace {

using OptionTable = unsigned char[Fl::OPTION_LAST];

void MarkToolkitOptionsRead();

// Explicit instantiation may name private members: the friend defined here reaches FLTK's
// option table and its "already read" flag.
template <OptionTable* Options, unsigned char* Read>
struct ToolkitOptionsAccess {
    friend void MarkToolkitOptionsRead() {
        if (*Read) return;
        (*Options)[Fl::OPTION_ARROW_FOCUS] = 0;
        (*Options)[Fl::OPTION_VISIBLE_FOCUS] = 1;
        (*Options)[Fl::OPTION_DND_TEXT] = 1;
        (*Options)[Fl::OPTION_SHOW_TOOLTIPS] = 1;
        (*Options)[Fl::OPTION_FNFC_USES_GTK] = 1;
        *Read = 1;
    }
};
template struct ToolkitOptionsAccess<&Fl::options_, &Fl::options_read_>;

}  // namespace

void KeepToolkitPreferencesUntouched() {
    MarkToolkitOptionsRead();
}

}  // namespace platform
