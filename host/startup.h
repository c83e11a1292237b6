// Start-up of the host: Main, which refuses to run beside a running copy, prepares the working
// folder and the settings and hands over to the form of the command line's role.
#pragma once

#include "host/role.h"

namespace Zentrova_B {

// The host's entry procedure: reads CommandLine and hands over to the role. Ends the program
// itself where the role says so; otherwise returns and the event loop carries on.
void Main();

}  // namespace Zentrova_B
