// The platform halves of the sound devices: the one sound output (SDL2_mixer), music files on
// it, audio CD sectors from libcdio streamed into it, and the looping wave sound.
#pragma once

#include <cstdint>

#include "platform/sound/sound_mci.h"

namespace sound {

// Opens the output (44.1 kHz, signed 16-bit, stereo) when it is not open yet. False when no
// output can be opened; the first failure is remembered, so later sounds stay silent at once.
bool OpenOutput();

// The number of outputs SDL knows, at least 1 while the output is open (drivers that write to
// a file or to nothing list none).
std::uint32_t OutputDevices();

// Closes the output once nothing uses it, so that a later sound opens it afresh.
void CloseOutputIfIdle(bool devicesOpen);

// The devices for the command interpreter.
Backend& SdlBackend();

// The looping wave sound: plays `file` (looped or once, in the background or not), replacing
// the sound before; decoded as it plays, so it starts at once whatever its length. False when
// it cannot play.
bool PlayWave(const char* file, bool loop, bool wait);
void StopWave();

}  // namespace sound

// The operations of platform/sound.h as the devices carry them out, in a namespace of their
// own: the module's entry points call these, and a program that links the devices as well as
// the module's loader still has one platform::SendMediaCommand.
namespace sound::devices {

std::int32_t SendMediaCommand(const char* command, char* reply, std::uint32_t replySize,
                              std::uintptr_t window);
std::uint32_t SoundOutputCount();
std::int32_t PlayWaveSound(const char* name, std::uintptr_t module, std::uint32_t flags);

}  // namespace sound::devices
