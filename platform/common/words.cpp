// Small word rules that every backend shares (see words.h).
#include "platform/common/words.h"

namespace platform {

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool ListHasName(const char* list, std::string_view name) {
    if (!list || name.empty()) return false;
    const std::string_view all(list);
    for (std::size_t at = all.find(name); at != std::string_view::npos;
         at = all.find(name, at + 1)) {
        const std::size_t end = at + name.size();
        const bool starts = at == 0 || all[at - 1] == ' ';
        const bool ends = end == all.size() || all[end] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

}  // namespace platform
