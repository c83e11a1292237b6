// The desktop portal's permission store on the session bus, as the portal's capture route and the
// idle companion ask it: the stored answer for screenshots (see portal_request.h).
#pragma once

#include <systemd/sd-bus.h>

#include "platform/dbus/portal_request.h"

namespace platform::dbus {

// The desktop's stored answer for screenshots by programs outside a sandbox, looked up on `bus`
// within 3 seconds. A store that is missing, fails or knows no such table or entry counts as not
// asked.
StoredScreenshotAnswer LookUpStoredAnswer(sd_bus* bus);

}  // namespace platform::dbus
