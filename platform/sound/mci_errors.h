// The error numbers of the multimedia command interface and our text for each: the numbers its
// callers know from the system the interface comes from. Pure, and all the host needs of the
// sound layer when the devices are not loaded.
#pragma once

#include <cstdint>
#include <string_view>

namespace sound {

// Error numbers of the command interface (base 256).
namespace mcierr {
constexpr std::int32_t kUnrecognizedKeyword = 259;
constexpr std::int32_t kUnrecognizedCommand = 261;
constexpr std::int32_t kHardware = 262;
constexpr std::int32_t kInvalidDeviceName = 263;  // unknown device, or not open
constexpr std::int32_t kDeviceOpen = 265;
constexpr std::int32_t kMissingCommandString = 267;
constexpr std::int32_t kParamOverflow = 268;  // the reply does not fit the caller's buffer
constexpr std::int32_t kBadInteger = 270;
constexpr std::int32_t kMissingParameter = 273;
constexpr std::int32_t kUnsupportedFunction = 274;
constexpr std::int32_t kFileNotFound = 275;
constexpr std::int32_t kDeviceNotReady = 276;
constexpr std::int32_t kExtensionNotFound = 281;
constexpr std::int32_t kOutOfRange = 282;
constexpr std::int32_t kDuplicateAlias = 289;
constexpr std::int32_t kMissingDeviceName = 292;
constexpr std::int32_t kBadTimeFormat = 293;
constexpr std::int32_t kNoClosingQuote = 294;
constexpr std::int32_t kDuplicateFlags = 295;
constexpr std::int32_t kInvalidFile = 296;
constexpr std::int32_t kNoElementAllowed = 301;
constexpr std::int32_t kFilenameRequired = 304;
constexpr std::int32_t kExtraCharacters = 305;
constexpr std::int32_t kDeviceNotInstalled = 306;
}  // namespace mcierr

// Our text for an error number; empty when the number is not one we give.
std::string_view ErrorText(std::int32_t code);

}  // namespace sound
