// The role of the host's command line: which of its windows a start opens.
#pragma once

#include <string_view>

namespace Zentrova_B {

enum class Role {
    Preview,     // "P": the preview inside a given window
    Configure,   // "C": the settings dialog
    Run,         // "S": the full-screen run with the cursor hidden
    RunVisible,  // empty command line: the full-screen run, cursor left alone
    None,        // anything else: end at once
};

// The role of a command line: its second character, case-insensitive; the first character
// and everything after the second are not looked at.
Role RoleOf(std::string_view commandLine);

}  // namespace Zentrova_B
