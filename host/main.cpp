// Velmora.scr: the screensaver host. Reads its role from the command line, hands over to the
// window of that role and lives as long as one of its forms is loaded.
#include <clocale>

#include "forms/forms.h"
#include "host/run_rules.h"
#include "host/startup.h"
#include "host/zentrova_b.h"
#include "platform/base.h"
#include "platform/message_box.h"

int main(int argc, char** argv) {
    platform::PreferLargePages();  // the screen's picture and its file are large
    // The charset of the user's locale: that of standard error, of the system's words and of the
    // music commands.
    std::setlocale(LC_ALL, "");
    // A display that goes away mid-run is not a picture that could not be taken.
    platform::SetLostDisplayStatus(run::kDisplayLost);
    forms::SetCommandLine(argc, argv);
    Zentrova_B::CommandLine = forms::CommandLine();
    Zentrova_B::Main();
    forms::RunWhileLoaded();
    return 0;
}
