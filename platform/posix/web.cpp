// Opening a web address in the user's browser through xdg-open.
#include <string>

#include "platform/base.h"

namespace platform {

void OpenWebAddress(std::string_view address) {
    // Detached: xdg-open (and the browser it may become) runs in a session of its own, never
    // lingers as our zombie and gets nothing of ours, not even our standard streams.
    ProgramStart start;
    start.arguments = {"xdg-open", std::string(address)};
    start.tie = ProgramTie::Detached;
    start.streams = ProgramStreams::NullDevice;
    start.searchPath = true;
    StartProgram(start);
}

}  // namespace platform
