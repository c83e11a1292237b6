// Large pages on Windows (see platform.h): the system gives them only to accounts holding the
// right to lock pages in memory, and only through VirtualAlloc, never to the heap. Nothing to do.
#include "platform/platform.h"

namespace platform {

void PreferLargePages() {}

}  // namespace platform
