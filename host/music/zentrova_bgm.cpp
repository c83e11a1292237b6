// Zentrova_BGM, the music unit: the command strings for the audio CD and the MP3 file, their
// watches, and the looping WAV.
#include "host/music/zentrova_bgm.h"

#include <cctype>
#include <cstring>

#include "host/zentrova_b.h"
#include "platform/base.h"
#include "platform/sound.h"
#include "platform/words.h"

namespace Zentrova_BGM {

bool CdWatchActive = false;
std::string MciReply;

namespace {

// The unit's fixed text buffers. They keep their content between calls: a command that fails
// leaves its buffer as it was, and the next reader sees the old text.
char replyBuffer[512];
char errorBuffer[256];
char cdModeBuffer[256];
char mp3ModeBuffer[30];

// One less than the buffer: its last byte stays a NUL, whatever the reply.
constexpr std::uint32_t kCdModeSize = 255;
constexpr std::uint32_t kPlayLooped = platform::kWaveAsync | platform::kWaveLoop;

const char* const kNoCommand = "コマンド文字列が指定されていません";
const char* const kNoErrorText = "Error (文字列が取れません)";

SoundApi& Api() {
    static SoundApi api = PlatformSoundApi();
    return api;
}

// Text for the sound layer is in the locale's charset; a character it can't carry becomes '?',
// so the text stays the same length in characters and never breaks the command.
std::string ToAnsi(const std::string& text) {
    return platform::ConvertTextLossy(text, "UTF-8", platform::LocaleCharset());
}

// The text of a buffer up to its first NUL, never past its end.
std::string BufferText(const char* buffer, std::size_t size) {
    std::size_t length = strnlen(buffer, size);
    return platform::ConvertTextLossy(std::string_view(buffer, length), platform::LocaleCharset(),
                                      "UTF-8");
}

// Sends a command with no reply buffer.
std::int32_t SendBare(const std::string& command) {
    return Api().sendCommand(ToAnsi(command).c_str(), nullptr, 0, 0);
}

bool HasError(const std::string& reply) {
    return platform::AsciiUpper(reply).find("ERR") != std::string::npos;
}

// A decimal number with optional surrounding blanks; false when the text is anything else.
bool ReadTrackNumber(const std::string& text, long& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = i < text.size() && (text[i] == '-' || text[i] == '+');
    if (negative) negative = text[i++] == '-';
    std::size_t digits = 0;
    value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, ++digits) {
        if (value > 100000000L) return false;
        value = value * 10 + (text[i] - '0');
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (digits == 0 || i != text.size()) return false;
    if (negative) value = -value;
    return true;
}

// A file name as it goes between the quotes of a command. A double quote in it (a legal name
// character here, never on the system the commands come from) is written twice, the one form
// the interpreter reads as a quote; every other name goes exactly as it is.
std::string QuotedName(const std::string& name) {
    std::string quoted;
    for (char c : name) quoted += c == '"' ? std::string(2, c) : std::string(1, c);
    return quoted;
}

std::string ModeText(const char* buffer, std::size_t size) {
    return BufferText(buffer, size).substr(0, 7);
}

// The result of two commands sent one after the other: the first failure's code, else 0.
std::int32_t FirstFailure(std::int32_t first, std::int32_t second) {
    return first != 0 ? first : second;
}

}  // namespace

SoundApi PlatformSoundApi() {
    return SoundApi{platform::SendMediaCommand, platform::MediaErrorText,
                    platform::SoundOutputCount, platform::PlayWaveSound};
}

void SetSoundApi(SoundApi api) {
    Api() = std::move(api);
}

std::int32_t MciSend(const std::string& command, std::string& reply) {
    if (command.empty()) {
        reply = kNoCommand;
        return -1;
    }
    std::int32_t code =
        Api().sendCommand(ToAnsi(command).c_str(), replyBuffer, sizeof replyBuffer, 0);
    Zentrova_B::LastApiResult = code;
    if (code == 0) {
        reply = BufferText(replyBuffer, sizeof replyBuffer);
        return 0;
    }
    if (Api().errorText(code, errorBuffer, sizeof errorBuffer) != 0)
        reply = BufferText(errorBuffer, sizeof errorBuffer);
    else
        reply = kNoErrorText;
    return code;
}

std::string MciQuery(const std::string& command) {
    std::int32_t code = MciSend(command, MciReply);
    Zentrova_B::LastApiResult = code;
    if (code == 0) return MciReply;
    return "Error:" + std::to_string(code);
}

std::int32_t MciPlay(const std::string& device, const std::string& from, const std::string& to) {
    std::string command = "play " + device;
    if (!from.empty()) command += " from " + from;
    if (!to.empty()) command += " to " + to;
    return MciSend(command, MciReply);
}

std::int32_t CdOpen() {
    const std::int32_t opened = Zentrova_B::LastApiResult = SendBare("open cdaudio");
    // Positions in tracks/minutes/seconds/frames, the form "play cdaudio from <track>" reads.
    Zentrova_B::LastApiResult = SendBare("set cdaudio time format tmsf");
    return FirstFailure(opened, Zentrova_B::LastApiResult);
}

void CdWatch() {
    CdWatchActive = true;
    std::string track = MciQuery("status cdaudio current track");
    if (HasError(track)) {
        CdWatchActive = false;
        return;
    }
    std::string count = MciQuery("status cdaudio number of tracks");
    if (HasError(count)) {
        CdWatchActive = false;
        return;
    }
    Zentrova_B::LastApiResult =
        Api().sendCommand("status cdaudio mode", cdModeBuffer, kCdModeSize, 0);
    bool stopped = ModeText(cdModeBuffer, sizeof cdModeBuffer) == "stopped";

    std::int16_t repeat = Zentrova_B::BgmRepeat;
    if (repeat == 0) {
        if (stopped) MciPlay("cdaudio", "", "");
        return;
    }
    long current = 0;
    if (!ReadTrackNumber(track, current)) {
        CdWatchActive = false;
        return;
    }
    if (stopped || current != repeat) {
        std::string position = MciQuery("status cdaudio position track " + std::to_string(repeat));
        MciPlay("cdaudio", position, "");
    }
}

std::int32_t CdClose() {
    const std::int32_t stopped = Zentrova_B::LastApiResult = SendBare("stop cdaudio");
    Zentrova_B::LastApiResult = SendBare("close cdaudio");
    return FirstFailure(stopped, Zentrova_B::LastApiResult);
}

std::int32_t Mp3Open() {
    std::string command =
        "open \"" + QuotedName(Zentrova_B::BgmFile) + "\" type MPEGVideo Alias MP3Play";
    const std::int32_t opened = SendBare(command);
    return opened != 0 ? opened : SendBare("play MP3Play");
}

bool Mp3IsPlaying() {
    Api().sendCommand("status MP3Play mode", mp3ModeBuffer, sizeof mp3ModeBuffer, 0);
    return ModeText(mp3ModeBuffer, sizeof mp3ModeBuffer) == "playing";
}

void Mp3Watch() {
    if (Mp3IsPlaying()) return;
    SendBare("stop MP3Play");
    SendBare("play MP3Play from 0");
}

std::int32_t Mp3Close() {
    const std::int32_t stopped = SendBare("stop MP3Play");
    return FirstFailure(stopped, SendBare("close MP3Play"));
}

bool WavPlay() {
    if (Api().outputCount() == 0) return false;
    Zentrova_B::LastApiResult = Api().playWave(ToAnsi(Zentrova_B::BgmFile).c_str(), 0, kPlayLooped);
    return Zentrova_B::LastApiResult != 0;
}

bool WavStop() {
    Zentrova_B::LastApiResult = Api().playWave(nullptr, 0, 0);
    return Zentrova_B::LastApiResult != 0;
}

}  // namespace Zentrova_BGM
