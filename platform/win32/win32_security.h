// Files and folders only the current user (and the system) may use.
#pragma once

#include <windows.h>

#include <string>

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

namespace platform::win32 {

// Who may change what is inside a folder.
enum class FolderTrust {
    Private,           // its owner and everyone who may add or remove entries is trusted
    ForeignOwner,      // it belongs to another account
    WritableByOthers,  // another account may add, remove or rename entries, or change its rights
    Unknown            // its owner and access list could not be read
};

// The trust of the folder `path` itself (not of its parents). Trusted are the current user, the
// token's default owner, the system and the administrators (who may do anything anyway).
FolderTrust TrustOf(const std::wstring& path);

}  // namespace platform::win32
