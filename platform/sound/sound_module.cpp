// The entry points of velmora_sound.so, the module that holds the sound devices (SDL2_mixer,
// libcdio, libsndfile and the libraries they bring). The host loads it on its first sound
// operation (sound_loader.cpp) and calls these, which hand over to the operations of sound.h
// as this module implements them.
#include <cstdint>

#include "platform/sound.h"
#include "platform/sound/sound_module.h"

extern "C" {

__attribute__((visibility("default"))) std::int32_t velmora_sound_command(const char* command,
                                                                          char* reply,
                                                                          std::uint32_t replySize,
                                                                          std::uintptr_t window) {
    return platform::SendMediaCommand(command, reply, replySize, window);
}

__attribute__((visibility("default"))) std::uint32_t velmora_sound_output_count() {
    return platform::SoundOutputCount();
}

__attribute__((visibility("default"))) std::int32_t velmora_sound_play_wave(const char* name,
                                                                            std::uintptr_t module,
                                                                            std::uint32_t flags) {
    return platform::PlayWaveSound(name, module, flags);
}

}  // extern "C"
