// The music-file chooser (see file_chooser.h).
#include "host/dialog/file_chooser.h"

#include <cstdlib>

#include "forms/forms.h"

namespace Zentrova_P {

std::optional<std::string> ChooseFile(const ChooserRequest& request) {
    if (const char* chosen = std::getenv("VELMORA_TEST_CHOSEN_FILE")) {
        if (*chosen == '\0') return std::nullopt;
        return std::string(chosen);
    }
    return forms::ChooseFile({request.title, request.filterName, request.pattern, request.folder});
}

}  // namespace Zentrova_P
