// Zentrova_BGM, the music unit: background music of a screensaver run (audio CD, MP3 or WAV)
// through the multimedia command strings and the wave-sound player. It has no timers: the
// full-screen form calls the watches. Reads Zentrova_B::BgmMode, BgmRepeat and BgmFile.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace Zentrova_BGM {

// True at the start of every CD watch tick, false once the CD could not be read in a tick. The
// full-screen form copies it into its CD timer's enabled state after each tick.
extern bool CdWatchActive;

// Reply text, or error text, of the last command sent through MciQuery or MciPlay.
extern std::string MciReply;

// Sends `command`; `reply` receives the reply text, or the error text on failure. Returns 0,
// -1 for an empty command (nothing sent), or the multimedia error number.
std::int32_t MciSend(const std::string& command, std::string& reply);

// MciSend into MciReply: the reply text on success, else "Error:" and the code in decimal.
std::string MciQuery(const std::string& command);

// Sends "play <device>[ from <from>][ to <to>]" (empty from / to are left out).
std::int32_t MciPlay(const std::string& device, const std::string& from, const std::string& to);

// The procedures that send commands return what became of them: 0 when every command went
// through, else the error number of the first that failed (each command is sent all the same).
// The watches have no result: a watch that fails tries again at its next tick, or ends itself.

// Audio CD: open the device at run start, keep it playing every 200 ms, close it at run end.
std::int32_t CdOpen();
void CdWatch();
std::int32_t CdClose();

// MP3 file (Zentrova_B::BgmFile): open and play, restart when finished (every 1000 ms), close.
// Mp3Open sends the play only when the open went through.
std::int32_t Mp3Open();
bool Mp3IsPlaying();
void Mp3Watch();
std::int32_t Mp3Close();

// WAV file (Zentrova_B::BgmFile): looped by the wave-sound player; stop. True when the player
// took the request; WavPlay is false without a sound output, where it asks the player nothing.
bool WavPlay();
bool WavStop();

// The four platform operations the unit calls, replaceable so that tests can record them. The
// text arguments are in the locale's charset, as the platform receives them.
struct SoundApi {
    std::function<std::int32_t(const char* command, char* reply, std::uint32_t size,
                               std::uintptr_t window)>
        sendCommand;
    std::function<std::int32_t(std::int32_t code, char* text, std::uint32_t size)> errorText;
    std::function<std::uint32_t()> outputCount;
    std::function<std::int32_t(const char* name, std::uintptr_t module, std::uint32_t flags)>
        playWave;
};

// The platform's own operations.
SoundApi PlatformSoundApi();

// Replaces the operations the unit calls (PlatformSoundApi() at program start).
void SetSoundApi(SoundApi api);

}  // namespace Zentrova_BGM
