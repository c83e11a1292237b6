// The multimedia command interpreter and device manager behind platform::mciSendString: parses
// command strings, keeps the open devices by alias and runs the "cdaudio" and "MPEGVideo"
// device logic. Pure: the disc drive and the music decoder come in through Backend, so that
// everything here is tested without sound.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sound {

// Error numbers of the command interface (base 256), as callers of this interface know them.
namespace mcierr {
constexpr std::int32_t kUnrecognizedKeyword = 259;
constexpr std::int32_t kUnrecognizedCommand = 261;
constexpr std::int32_t kHardware = 262;
constexpr std::int32_t kInvalidDeviceName = 263;  // unknown device, or not open
constexpr std::int32_t kDeviceOpen = 265;
constexpr std::int32_t kMissingCommandString = 267;
constexpr std::int32_t kParamOverflow = 268;  // the reply does not fit the caller's buffer
constexpr std::int32_t kBadInteger = 270;
constexpr std::int32_t kMissingParameter = 273;
constexpr std::int32_t kUnsupportedFunction = 274;
constexpr std::int32_t kFileNotFound = 275;
constexpr std::int32_t kDeviceNotReady = 276;
constexpr std::int32_t kExtensionNotFound = 281;
constexpr std::int32_t kOutOfRange = 282;
constexpr std::int32_t kDuplicateAlias = 289;
constexpr std::int32_t kMissingDeviceName = 292;
constexpr std::int32_t kBadTimeFormat = 293;
constexpr std::int32_t kNoClosingQuote = 294;
constexpr std::int32_t kDuplicateFlags = 295;
constexpr std::int32_t kInvalidFile = 296;
constexpr std::int32_t kNoElementAllowed = 301;
constexpr std::int32_t kExtraCharacters = 305;
constexpr std::int32_t kDeviceNotInstalled = 306;
}  // namespace mcierr

// Our text for an error number; empty when the number is not one we give.
std::string_view ErrorText(std::int32_t code);

// ---- Audio CD ----

constexpr std::int32_t kFramesPerSecond = 75;  // CD sectors ("frames") a second
constexpr std::int32_t kLeadIn = 150;  // MSF times count the 2 s lead-in: sector 0 = 00:02:00

struct CdTrack {
    int number = 0;
    std::int32_t pregap = 0;  // first sector of the track's pre-gap (== start when it has none)
    std::int32_t start = 0;   // first sector of the track proper (index 1)
    std::int32_t end = 0;     // one past its last sector: the next track's pre-gap, or lead-out
    bool audio = true;
};

struct CdToc {
    std::vector<CdTrack> tracks;  // in disc order, numbers ascending
    std::int32_t leadout = 0;
};

// A disc drive (or disc image) together with the sound output it streams to.
class CdDrive {
  public:
    virtual ~CdDrive() = default;
    // Reads the disc's table of contents; false when there is no readable disc.
    virtual bool ReadToc(CdToc& toc) = 0;
    // Streams sectors [from, to) to the output, replacing anything playing.
    virtual void Play(std::int32_t from, std::int32_t to) = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // The sector being heard, or where playback stopped or ended.
    virtual std::int32_t Position() = 0;
    // True from Play until the end sector is reached or Stop (also while paused).
    virtual bool Streaming() = 0;
};

// ---- Music file ----

class MusicPlayer {
  public:
    virtual ~MusicPlayer() = default;
    // Prepares the file: 0, kFileNotFound or kInvalidFile.
    virtual std::int32_t Load(const std::string& file) = 0;
    virtual void Play(std::int64_t fromMs) = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // True from Play until the song has ended or is stopped (also while paused).
    virtual bool Playing() = 0;
    virtual std::int64_t PositionMs() = 0;
    virtual std::int64_t LengthMs() = 0;  // 0 when unknown
};

// Makes the devices' platform halves.
class Backend {
  public:
    virtual ~Backend() = default;
    // The drive named by the system's choice (a configured image or the default drive); null
    // with `error` set when there is none.
    virtual std::unique_ptr<CdDrive> OpenCd(std::int32_t& error) = 0;
    virtual std::unique_ptr<MusicPlayer> OpenMusic() = 0;
};

class Device;

// The device manager: one per process, fed one command at a time.
class Interpreter {
  public:
    explicit Interpreter(Backend& backend);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Runs one command. Returns 0 with `reply` set (empty for commands without one), or an
    // error number with `reply` untouched.
    std::int32_t Execute(std::string_view command, std::string& reply);

    std::size_t OpenDevices() const { return devices_.size(); }

  private:
    std::int32_t Open(const std::vector<std::string>& words);
    std::int32_t Close(const std::vector<std::string>& words);

    Backend& backend_;
    std::map<std::string, std::unique_ptr<Device>> devices_;  // by lower-case alias
};

// Splits a command into words: blanks separate, double quotes hold a word with blanks, and a
// double quote written twice inside them is one double quote of the word (before, such a
// command was refused). False with `error` set for a quote that is not closed or not followed
// by a blank.
bool SplitWords(std::string_view command, std::vector<std::string>& words, std::int32_t& error);

// Where sound is on a disc: sectors of audio tracks, less the pre-gap of an audio track that
// follows a data track (on a disc that gap belongs to the data track's area).

// The first sector at or after `sector` that plays as sound, or `limit` when none comes before
// it.
std::int32_t NextAudioSector(const CdToc& toc, std::int32_t sector, std::int32_t limit);

// One past the last sector of the track holding `sector` (a sector that plays as sound).
std::int32_t AudioTrackEnd(const CdToc& toc, std::int32_t sector);

// One past the last sound sector before `end`; 0 when the disc has none before it.
std::int32_t LastAudioEnd(const CdToc& toc, std::int32_t end);

// tmsf position text "TT:MM:SS:FF" of a sector; the sector before the first track, or in a
// pre-gap, counts as the start of the track that follows.
std::string FormatTmsf(const CdToc& toc, std::int32_t sector);

}  // namespace sound
