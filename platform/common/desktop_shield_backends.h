// The sources of the desktop's shield that the Linux backend opens (window_system.h's
// DesktopShieldWatch asks them in turn): for the backends' use only.
#pragma once

#include <chrono>
#include <memory>

#include "platform/base.h"

namespace platform::shields {

// One or more of the desktop's shields, watched over one connection or two.
class Source {
  public:
    virtual ~Source() = default;
    // The first of its shields that is on, after taking in what has arrived; never waits.
    virtual DesktopShield Active() = 0;
};

// The screen savers on the session bus and the login manager's lock on the system bus, their
// first answers awaited until `deadline` (dbus/bus_shields.cpp). Nothing when neither bus can be
// reached.
std::unique_ptr<Source> OpenBusShields(std::chrono::steady_clock::time_point deadline);

}  // namespace platform::shields
