// Zentrova_S, the hidden full-screen form that performs a screensaver run.
#include "host/roles.h"

namespace Zentrova_S {

void Load() {}

}  // namespace Zentrova_S
