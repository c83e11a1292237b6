// The music-file chooser (see file_chooser.h).
#include "host/dialog/file_chooser.h"

#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>

#include <cstdlib>

namespace Zentrova_P {

std::optional<std::string> ChooseFile(const ChooserRequest& request) {
    if (const char* chosen = std::getenv("VELMORA_TEST_CHOSEN_FILE")) {
        if (*chosen == '\0') return std::nullopt;
        return std::string(chosen);
    }
    // FLTK's own chooser: the same look and behaviour whether or not GTK is installed.
    Fl::option(Fl::OPTION_FNFC_USES_GTK, false);
    // The save type is the one whose OK button also takes a name that does not exist yet; no
    // overwrite question is asked, since SAVEAS_CONFIRM is not set.
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
    chooser.title(request.title.c_str());
    chooser.filter((request.filterName + "\t" + request.pattern).c_str());
    chooser.directory(request.folder.c_str());
    if (chooser.show() != 0) return std::nullopt;
    const char* name = chooser.filename();
    if (!name || !*name) return std::nullopt;
    return std::string(name);
}

}  // namespace Zentrova_P
