// The desktop portal's request protocol as the Screenshot call uses it: where the answer will
// come from, and what the answer means. Pure: the D-Bus traffic itself is the Wayland backend's
// (platform/wayland/portal.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The object path of the request that a call with `token` as its handle_token makes for the
// caller whose unique bus name is `uniqueName` (":1.42"): the portal's documented rule, so that
// the caller can listen for the answer before it calls. Nothing when `uniqueName` is not a
// unique name or `token` is not a valid path element ([A-Za-z0-9_], not empty).
std::optional<std::string> PortalRequestPath(std::string_view uniqueName, std::string_view token);

// What a Response signal of a Screenshot request says.
struct PortalAnswer {
    enum class Kind { Picture, Refused, Failed } kind = Kind::Failed;
    std::string path;  // Picture: the local file that holds the PNG
    std::string why;   // Refused, Failed: in words for the user
};

// Reads a Response: `response` 0 is success (then `uri` must name a local file), 1 the user or
// the system refused, anything else a failure. `uri` is the "uri" result, if it came.
PortalAnswer ReadPortalAnswer(std::uint32_t response, const std::optional<std::string>& uri);

// The local path of a "file://" URI ("file:///tmp/a%20b.png" -> "/tmp/a b.png"): an absolute
// path, on this machine (an empty host or "localhost"), percent escapes decoded. Nothing for
// other schemes, other hosts, bad escapes, an encoded NUL, raw control characters or "/" only.
std::optional<std::string> LocalPathOfFileUri(std::string_view uri);

}  // namespace platform
