// Start-up of the host: the role from the command line and Main, which refuses to run beside a
// running copy, prepares the working folder and the settings and hands over to the role's form.
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

// The host's entry procedure: reads CommandLine and hands over to the role. Ends the program
// itself where the role says so; otherwise returns and the event loop carries on.
void Main();

}  // namespace Zentrova_B
