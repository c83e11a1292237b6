// The four sound operations of sound.h: the command interpreter on the SDL devices, its
// error texts, the output count and the wave-sound player.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/sound.h"
#include "platform/sound/sound_devices.h"
#include "platform/sound/sound_mci.h"

namespace platform {

namespace {

sound::Interpreter& Devices() {
    static sound::Interpreter interpreter(sound::SdlBackend());
    return interpreter;
}

}  // namespace

std::int32_t SendMediaCommand(const char* command, char* reply, std::uint32_t replySize,
                              std::uintptr_t /*window*/) {
    if (!command) return sound::mcierr::kMissingCommandString;
    std::string text;
    std::int32_t code = Devices().Execute(command, text);
    if (code == 0 && reply && replySize > 0) {
        if (text.size() >= replySize) {
            code = sound::mcierr::kParamOverflow;
        } else {
            std::memcpy(reply, text.c_str(), text.size() + 1);
        }
    }
    sound::CloseOutputIfIdle(Devices().OpenDevices() > 0);
    return code;
}

std::int32_t MediaErrorText(std::int32_t error, char* text, std::uint32_t size) {
    std::string_view message = sound::ErrorText(error);
    if (message.empty() || !text || size == 0) return 0;
    std::size_t length = std::min<std::size_t>(message.size(), size - 1);
    std::memcpy(text, message.data(), length);
    text[length] = '\0';
    return 1;
}

std::uint32_t SoundOutputCount() {
    if (!sound::OpenOutput()) return 0;
    std::uint32_t count = sound::OutputDevices();
    sound::CloseOutputIfIdle(Devices().OpenDevices() > 0);
    return count;
}

std::int32_t PlayWaveSound(const char* name, std::uintptr_t /*module*/, std::uint32_t flags) {
    if (!name || !*name) {
        sound::StopWave();
        sound::CloseOutputIfIdle(Devices().OpenDevices() > 0);
        return 1;
    }
    // Looping only makes sense in the background: refused, as the player always has.
    if ((flags & kWaveLoop) && !(flags & kWaveAsync)) return 0;
    bool played = sound::PlayWave(name, flags & kWaveLoop, !(flags & kWaveAsync));
    sound::CloseOutputIfIdle(Devices().OpenDevices() > 0);
    return played ? 1 : 0;
}

}  // namespace platform
