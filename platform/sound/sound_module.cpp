// The entry points of velmora_sound.so, the module that holds the sound devices (SDL2_mixer,
// libcdio, libsndfile and the libraries they bring). The host loads it on its first sound
// operation (sound_loader.cpp), checks its version and calls these, which hand over to the
// devices' own operations (sound.h's, in namespace sound::devices).
#include <cstdint>

#include "platform/sound/sound_devices.h"
#include "platform/sound/sound_module.h"

extern "C" {

const char velmora_sound_version[] = VELMORA_SOUND_MODULE_VERSION;

__attribute__((visibility("default"))) std::int32_t velmora_sound_command(const char* command,
                                                                          char* reply,
                                                                          std::uint32_t replySize,
                                                                          std::uintptr_t window) {
    return sound::devices::SendMediaCommand(command, reply, replySize, window);
}

__attribute__((visibility("default"))) std::uint32_t velmora_sound_output_count() {
    return sound::devices::SoundOutputCount();
}

__attribute__((visibility("default"))) std::int32_t velmora_sound_play_wave(const char* name,
                                                                            std::uintptr_t module,
                                                                            std::uint32_t flags) {
    return sound::devices::PlayWaveSound(name, module, flags);
}

}  // extern "C"
