// What velmora_sound.so offers its loader: the file's name beside the program, its version (the
// build it comes from: a module of another build is refused, not called) and the C entry
// points, one for each operation of sound.h that needs the devices (the error texts need none).
#pragma once

#include <cstdint>

namespace sound {

inline constexpr const char* kModuleFile = "velmora_sound.so";
inline constexpr const char* kVersionSymbol = "velmora_sound_version";
// The program's version and a digest of this header, set by the build.
inline constexpr const char* kVersion = VELMORA_SOUND_MODULE_VERSION;

}  // namespace sound

extern "C" {
__attribute__((visibility("default"))) extern const char velmora_sound_version[];
std::int32_t velmora_sound_command(const char* command, char* reply, std::uint32_t replySize,
                                   std::uintptr_t window);
std::uint32_t velmora_sound_output_count();
std::int32_t velmora_sound_play_wave(const char* name, std::uintptr_t module, std::uint32_t flags);
}
