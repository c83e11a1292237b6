// The user's language on Linux: glibc's gettext, with the catalogs of the build or install the
// running program belongs to.
#include <libintl.h>
#include <sys/stat.h>

#include <clocale>
#include <string>

#include "platform/base.h"

namespace platform {
namespace {

constexpr const char* kDomain = "velmora";

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The catalogs beside the program (a build or an unpacked folder), else those of the install
// the program folder lies in (<prefix>/lib/velmora -> <prefix>/share/locale).
std::string LocaleFolder() {
    const std::string program = ProgramFolder();
    const std::string beside = PathInFolder(program, "locale");
    if (IsFolder(beside)) return beside;
    return PathInFolder(program, "../../share/locale");
}

void BindCatalogs() {
    // Only the messages' category: the other categories stay as the program set them (the
    // renderer's numbers, for one, keep their C form).
    std::setlocale(LC_MESSAGES, "");
    bindtextdomain(kDomain, LocaleFolder().c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
}

}  // namespace

const char* Translate(const char* text) {
    static const bool bound = (BindCatalogs(), true);
    (void)bound;
    return dgettext(kDomain, text);
}

}  // namespace platform
