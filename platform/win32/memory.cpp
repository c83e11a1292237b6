// Large pages on Windows (see base.h): the system gives them only to accounts holding the
// right to lock pages in memory, and only through VirtualAlloc, never to the heap. Nothing to do.
#include "platform/base.h"

namespace platform {

void PreferLargePages() {}

}  // namespace platform
