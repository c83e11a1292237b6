// Zentrova_P, the settings dialog.
#include "host/roles.h"

namespace Zentrova_P {

void ShowModal() {}

}  // namespace Zentrova_P
