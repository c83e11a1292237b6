// The sound operations of sound.h as the devices carry them out: the command interpreter on the
// SDL devices, the output count and the wave-sound player (the error texts need no device: the
// loader gives them).
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/sound.h"
#include "platform/sound/sound_devices.h"
#include "platform/sound/sound_mci.h"

namespace sound::devices {

namespace {

Interpreter& Devices() {
    static Interpreter interpreter(SdlBackend());
    return interpreter;
}

}  // namespace

std::int32_t SendMediaCommand(const char* command, char* reply, std::uint32_t replySize,
                              std::uintptr_t /*window*/) {
    if (!command) return mcierr::kMissingCommandString;
    std::string text;
    std::int32_t code = Devices().Execute(command, text);
    if (code == 0 && reply && replySize > 0) {
        if (text.size() >= replySize) {
            code = mcierr::kParamOverflow;
        } else {
            std::memcpy(reply, text.c_str(), text.size() + 1);
        }
    }
    CloseOutputIfIdle(Devices().OpenDevices() > 0);
    return code;
}

std::uint32_t SoundOutputCount() {
    if (!OpenOutput()) return 0;
    std::uint32_t count = OutputDevices();
    CloseOutputIfIdle(Devices().OpenDevices() > 0);
    return count;
}

std::int32_t PlayWaveSound(const char* name, std::uintptr_t /*module*/, std::uint32_t flags) {
    if (!name || !*name) {
        StopWave();
        CloseOutputIfIdle(Devices().OpenDevices() > 0);
        return 1;
    }
    // A loop in the foreground would never give the caller back: refused.
    if ((flags & platform::kWaveLoop) && !(flags & platform::kWaveAsync)) return 0;
    bool played = PlayWave(name, flags & platform::kWaveLoop, !(flags & platform::kWaveAsync));
    CloseOutputIfIdle(Devices().OpenDevices() > 0);
    return played ? 1 : 0;
}

}  // namespace sound::devices
