// The multimedia command-string interface and the wave-sound player that the music unit speaks:
// the commands, replies, error numbers and texts of the system the unit was written for, under
// names of our own. Text goes in and out in the locale's charset. No sound output means silence,
// never an error or a wait.
#pragma once

#include <cstdint>

namespace platform {

// PlayWaveSound flags.
constexpr std::uint32_t kWaveAsync = 0x0001;  // return at once, play in the background
constexpr std::uint32_t kWaveLoop = 0x0008;   // repeat until stopped (needs kWaveAsync)

// Executes one multimedia command ("open cdaudio", "status MP3Play mode", ...). Returns 0 on
// success, else an error number (256 and up). On success a reply (possibly empty) is written,
// NUL-terminated, into `reply` when `reply` is given and `replySize` > 0; a reply that does not
// fit fails with 268 and leaves the buffer alone, as does every failed command. `window` is
// accepted and ignored (no notifications are sent).
std::int32_t SendMediaCommand(const char* command, char* reply, std::uint32_t replySize,
                              std::uintptr_t window);

// Writes the text for an error number of SendMediaCommand into `text` (NUL-terminated, cut to
// `size`). Nonzero when a text was written.
std::int32_t MediaErrorText(std::int32_t error, char* text, std::uint32_t size);

// The number of sound outputs that can be opened: 0 when none can.
std::uint32_t SoundOutputCount();

// With a file name and kWaveAsync | kWaveLoop: plays the file (WAV, MP3, ...) in the background
// over and over until stopped. With no name (nullptr or ""): stops that sound. Nonzero on success.
// `module` is accepted and ignored.
std::int32_t PlayWaveSound(const char* name, std::uintptr_t module, std::uint32_t flags);

}  // namespace platform
