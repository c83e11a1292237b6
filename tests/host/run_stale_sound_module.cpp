// A sound module of another build, for the host's run tests: the names of velmora_sound.so with
// a version no build gives. The host must refuse it: any entry point called ends the process.
#include <cstdint>
#include <cstdlib>

extern "C" {

__attribute__((visibility("default"))) extern const char velmora_sound_version[] =
    "0.9.0-0123456789ab";

__attribute__((visibility("default"))) std::int32_t velmora_sound_command(const char*, char*,
                                                                          std::uint32_t,
                                                                          std::uintptr_t) {
    std::abort();
}

__attribute__((visibility("default"))) std::uint32_t velmora_sound_output_count() {
    std::abort();
}

__attribute__((visibility("default"))) std::int32_t velmora_sound_play_wave(const char*,
                                                                            std::uintptr_t,
                                                                            std::uint32_t) {
    std::abort();
}

}  // extern "C"
