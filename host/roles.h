// The entry points of the host's three role windows, called by start-up's Main.
#pragma once

#include <string_view>

namespace Zentrova_S {
// Before a run's form: when the desktop's screen saver, lock or blank is on, says which on
// standard error and in the trace and ends the host with run::kDesktopShielded; otherwise keeps
// watching it, so that the run ends when one comes on.
void WatchDesktopShield();
// Loads the hidden full-screen form; its load handler captures the desktop, starts the music
// and the renderer and arms the watches. Returns at once; the run goes on in the event loop.
void Load();
}  // namespace Zentrova_S

namespace Zentrova_P {
// Shows the settings dialog modally; returns when it has closed.
void ShowModal();
}  // namespace Zentrova_P

namespace Zentrova_R {
// Embeds the preview form in the window named on the command line. Returns at once; the
// preview goes on in the event loop.
void PreviewSetup(std::string_view commandLine);
}  // namespace Zentrova_R
