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
