// What velmora_sound.so offers its loader: the file's name beside the program and the C entry
// points, one for each operation of sound.h that needs the devices (the error texts need none).
#pragma once

#include <cstdint>

namespace sound {

inline constexpr const char* kModuleFile = "velmora_sound.so";

}  // namespace sound

extern "C" {
std::int32_t velmora_sound_command(const char* command, char* reply, std::uint32_t replySize,
                                   std::uintptr_t window);
std::uint32_t velmora_sound_output_count();
std::int32_t velmora_sound_play_wave(const char* name, std::uintptr_t module, std::uint32_t flags);
}
