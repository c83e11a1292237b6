// The user's language on Windows: the user's UI language picks one of the catalogs built into
// the program (catalog_table.cpp, generated from po/ when building); where none serves, the
// texts stay as written.
#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base.h"
#include "platform/common/catalog.h"
#include "platform/win32/win32_catalogs.h"
#include "platform/win32/win32_text.h"

namespace platform {
namespace {

// The user's UI language as a locale name ("de-DE"); empty when the system names none.
std::string UserLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID id = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    if (LCIDToLocaleName(id, name, LOCALE_NAME_MAX_LENGTH, 0) <= 0) return {};
    return win32::Narrow(name);
}

std::span<const std::uint8_t> UserCatalog() {
    std::vector<std::string_view> names;
    for (const win32::BuiltInCatalog& built : win32::kCatalogs) names.push_back(built.language);
    const auto chosen = catalog::Choose(UserLanguage(), names);
    if (!chosen) return {};
    const win32::BuiltInCatalog& built = win32::kCatalogs[*chosen];
    return {built.bytes, built.size};
}

}  // namespace

const char* Translate(const char* text) {
    static const std::span<const std::uint8_t> catalog = UserCatalog();
    const auto translated = catalog::LookUp(catalog, text);
    // A catalog's texts end in a NUL of their own.
    return translated ? translated->data() : text;
}

}  // namespace platform
