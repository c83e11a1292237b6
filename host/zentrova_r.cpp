// Zentrova_R, the preview form embedded in the window that the system hands over.
#include "host/roles.h"

namespace Zentrova_R {

void PreviewSetup(std::string_view) {}

}  // namespace Zentrova_R
