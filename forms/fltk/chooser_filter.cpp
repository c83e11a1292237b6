// The FLTK file chooser's filter line, built without touching the toolkit (see chooser_filter.h).
#include "forms/fltk/chooser_filter.h"

#include <cctype>
#include <string>
#include <vector>

namespace forms {

std::string fltk::ChooserFilter(const FileRequest& request) {
    std::string name;
    for (const char c : request.filterName) {
        if (c == '(')
            name += "（";
        else if (c == ')')
            name += "）";
        else
            name += c;
    }
    // Each ";"-separated pattern, every letter in either case; several go in braces.
    std::vector<std::string> patterns;
    std::string current;
    for (std::size_t i = 0; i <= request.pattern.size(); ++i) {
        const char c = i < request.pattern.size() ? request.pattern[i] : ';';
        if (c == ';') {
            if (!current.empty()) patterns.push_back(current);
            current.clear();
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            current += '[';
            current += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            current += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            current += ']';
        } else {
            current += c;
        }
    }
    std::string joined;
    for (const std::string& p : patterns) joined += (joined.empty() ? "" : ",") + p;
    if (patterns.size() > 1) joined = "{" + joined + "}";
    return name + "\t" + joined;
}

}  // namespace forms
