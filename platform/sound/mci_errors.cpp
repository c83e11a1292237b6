// The command interface's error texts.
#include "platform/sound/mci_errors.h"

namespace sound {

std::string_view ErrorText(std::int32_t code) {
    switch (code) {
        case mcierr::kUnrecognizedKeyword:
            return "The command contains a word the device does not know.";
        case mcierr::kUnrecognizedCommand:
            return "The command word is not known.";
        case mcierr::kHardware:
            return "The sound device failed.";
        case mcierr::kInvalidDeviceName:
            return "The device is not open or its name is not known.";
        case mcierr::kDeviceOpen:
            return "The device is already open.";
        case mcierr::kMissingCommandString:
            return "No command was given.";
        case mcierr::kParamOverflow:
            return "The reply is too long for the buffer given.";
        case mcierr::kBadInteger:
            return "A number in the command is not valid.";
        case mcierr::kMissingParameter:
            return "The command lacks a value it needs.";
        case mcierr::kUnsupportedFunction:
            return "The device cannot do that.";
        case mcierr::kFileNotFound:
            return "The file cannot be found.";
        case mcierr::kDeviceNotReady:
            return "The device is not ready: no readable disc.";
        case mcierr::kExtensionNotFound:
            return "No device plays files with this ending.";
        case mcierr::kOutOfRange:
            return "A position or track is outside the medium.";
        case mcierr::kDuplicateAlias:
            return "The alias is already in use.";
        case mcierr::kMissingDeviceName:
            return "The command names no device.";
        case mcierr::kBadTimeFormat:
            return "The time format is not known to the device.";
        case mcierr::kNoClosingQuote:
            return "A quoted name has no closing quote.";
        case mcierr::kDuplicateFlags:
            return "A word is given twice.";
        case mcierr::kInvalidFile:
            return "The file cannot be played.";
        case mcierr::kNoElementAllowed:
            return "The device takes no file name.";
        case mcierr::kFilenameRequired:
            return "The device needs a file name.";
        case mcierr::kExtraCharacters:
            return "A quoted name is followed by other characters.";
        case mcierr::kDeviceNotInstalled:
            return "No such device is installed.";
        default:
            return {};
    }
}

}  // namespace sound
