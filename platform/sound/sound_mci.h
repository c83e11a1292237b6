// The multimedia command interpreter behind platform::SendMediaCommand where the system has no
// such layer: reads each command, keeps the open devices by alias, and hands the verbs to the
// "cdaudio" device (cd_device.h) or the "MPEGVideo" device of a music file. Pure: the disc
// drive and the music decoder come in through Backend, so that everything here is tested
// without sound.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sound/cd_device.h"
#include "platform/sound/mci_errors.h"
#include "platform/sound/mci_language.h"

namespace sound {

// A music file's player: the platform's half of the "MPEGVideo" device.
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

}  // namespace sound
