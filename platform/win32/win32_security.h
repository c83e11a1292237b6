// Files and folders only the current user (and the system) may use.
#pragma once

#include <windows.h>

namespace platform::win32 {

// Security attributes whose protected access list admits only the current user and the system,
// inherited by everything made inside. `Get()` is nullptr when they could not be built (a file
// made with nullptr gets its folder's rights).
class PrivateSecurity {
  public:
    PrivateSecurity();
    ~PrivateSecurity();
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;

    SECURITY_ATTRIBUTES* Get() { return descriptor_ ? &attributes_ : nullptr; }

  private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace platform::win32
