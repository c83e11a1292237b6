// The multimedia command strings and the wave-sound player: the system's own multimedia layer.
#include <windows.h>
// After windows.h: the multimedia header needs its types.
#include <mmsystem.h>

#include "platform/sound.h"

namespace platform {

static_assert(kWaveAsync == SND_ASYNC && kWaveLoop == SND_LOOP, "the flags are the system's own");

std::int32_t SendMediaCommand(const char* command, char* reply, std::uint32_t replySize,
                              std::uintptr_t window) {
    if (!reply) replySize = 0;
    return static_cast<std::int32_t>(
        mciSendStringA(command, reply, replySize, reinterpret_cast<HWND>(window)));
}

std::int32_t MediaErrorText(std::int32_t error, char* text, std::uint32_t size) {
    if (!text || size == 0) return 0;
    return mciGetErrorStringA(static_cast<MCIERROR>(error), text, size) ? 1 : 0;
}

std::uint32_t SoundOutputCount() {
    return waveOutGetNumDevs();
}

std::int32_t PlayWaveSound(const char* name, std::uintptr_t /*module*/, std::uint32_t flags) {
    if (!name || !*name) return PlaySoundA(nullptr, nullptr, 0) ? 1 : 0;
    // In the background the system answers before it looks at the file: a file that isn't
    // there is refused here, as on every system.
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    // Always a file name, and a missing file plays nothing: without SND_NODEFAULT the system
    // would loop its default beep instead.
    const DWORD how = (flags & (SND_ASYNC | SND_LOOP)) | SND_FILENAME | SND_NODEFAULT;
    return PlaySoundA(name, nullptr, how) ? 1 : 0;
}

}  // namespace platform
