// Large pages for the heap: nothing to do on Windows, whose heap serves large blocks without
// the per-page cost that the Linux backend works around.
#include "platform/platform.h"

namespace platform {

void PreferLargePages() {}

}  // namespace platform
