// The operations of sound.h for the host: the sound devices are in velmora_sound.so beside the
// program, loaded on the first operation that needs them, so that a run without music never
// loads SDL2_mixer and the forty-odd libraries it brings. The error texts need no device and
// come from the command interface's own table. A module that is missing, broken or from another
// build is told once (modules.h) and leaves the host silent: every command fails as with a
// device that is not installed, and there is no sound output.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/posix/modules.h"
#include "platform/sound.h"
#include "platform/sound/mci_errors.h"
#include "platform/sound/sound_module.h"

namespace platform {
namespace {

struct Module {
    decltype(&velmora_sound_command) command = nullptr;
    decltype(&velmora_sound_output_count) outputCount = nullptr;
    decltype(&velmora_sound_play_wave) playWave = nullptr;
};

template <typename Function>
Function Find(void* handle, const char* name) {
    return reinterpret_cast<Function>(modules::Find(handle, sound::kModuleFile, name));
}

// The module's entry points, all or none (loaded once; never unloaded).
const Module* Loaded() {
    static const Module module = [] {
        void* handle = modules::Open(sound::kModuleFile, sound::kVersionSymbol, sound::kVersion);
        if (!handle) return Module{};
        Module m{Find<decltype(m.command)>(handle, "velmora_sound_command"),
                 Find<decltype(m.outputCount)>(handle, "velmora_sound_output_count"),
                 Find<decltype(m.playWave)>(handle, "velmora_sound_play_wave")};
        if (!m.command || !m.outputCount || !m.playWave) return Module{};
        return m;
    }();
    return module.command ? &module : nullptr;
}

}  // namespace

std::int32_t SendMediaCommand(const char* command, char* reply, std::uint32_t replySize,
                              std::uintptr_t window) {
    if (const Module* m = Loaded()) return m->command(command, reply, replySize, window);
    return command ? sound::mcierr::kDeviceNotInstalled : sound::mcierr::kMissingCommandString;
}

std::int32_t MediaErrorText(std::int32_t error, char* text, std::uint32_t size) {
    const std::string_view message = sound::ErrorText(error);
    if (message.empty() || !text || size == 0) return 0;
    const std::size_t length = std::min<std::size_t>(message.size(), size - 1);
    std::memcpy(text, message.data(), length);
    text[length] = '\0';
    return 1;
}

std::uint32_t SoundOutputCount() {
    const Module* m = Loaded();
    return m ? m->outputCount() : 0;
}

std::int32_t PlayWaveSound(const char* name, std::uintptr_t module, std::uint32_t flags) {
    if (const Module* m = Loaded()) return m->playWave(name, module, flags);
    return !name || !*name ? 1 : 0;  // stopping nothing succeeds; nothing can play
}

}  // namespace platform
