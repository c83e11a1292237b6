// The multimedia command interpreter: verbs, the alias table and the "MPEGVideo" device.
#include "platform/sound/sound_mci.h"

#include <algorithm>

#include "platform/sound/mci_errors.h"
#include "platform/words.h"

namespace sound {

namespace {

bool IsMusicFileName(std::string_view name) {
    static const char* const endings[] = {".mp3", ".wav", ".ogg", ".flac", ".opus", ".mp2"};
    std::string lower = platform::AsciiLower(name);
    for (const char* ending : endings) {
        std::string_view e(ending);
        if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0)
            return true;
    }
    return false;
}

class MusicDevice : public Device {
  public:
    explicit MusicDevice(std::unique_ptr<MusicPlayer> player) : player_(std::move(player)) {}
    ~MusicDevice() override { player_->Stop(); }

    std::int32_t Play(const std::string* from, const std::string* to) override {
        if (to) return mcierr::kUnsupportedFunction;
        std::int64_t begin = 0;
        if (from) {
            auto ms = ReadDecimal(*from, 10);
            if (!ms) return mcierr::kBadInteger;
            std::int64_t length = player_->LengthMs();
            if (length > 0 && *ms > length) return mcierr::kOutOfRange;
            begin = *ms;
        } else if (paused_) {
            return Resume();
        } else if (player_->Playing()) {
            return 0;
        } else if (stopped_) {
            begin = stoppedAt_;
        }
        player_->Play(begin);
        paused_ = stopped_ = false;
        return 0;
    }
    std::int32_t Stop() override {
        stoppedAt_ = player_->Playing() ? player_->PositionMs() : 0;
        player_->Stop();
        paused_ = false;
        stopped_ = true;
        return 0;
    }
    std::int32_t Pause() override {
        if (player_->Playing()) {
            player_->Pause();
            paused_ = true;
        }
        return 0;
    }
    std::int32_t Resume() override {
        if (paused_) player_->Resume();
        paused_ = false;
        return 0;
    }
    std::int32_t SetTimeFormat(const std::string& format) override {
        return format == "milliseconds" || format == "ms" ? 0 : mcierr::kBadTimeFormat;
    }
    std::int32_t Status(const std::vector<std::string>& item, std::string& reply) override {
        const std::string joined = Joined(item);
        if (joined.empty()) return mcierr::kMissingParameter;
        if (joined == "mode")
            reply = !player_->Playing() ? "stopped" : paused_ ? "paused" : "playing";
        else if (joined == "position")
            reply = std::to_string(player_->PositionMs());
        else if (joined == "length")
            reply = std::to_string(player_->LengthMs());
        else if (joined == "ready" || joined == "media present")
            reply = "true";
        else if (joined == "time format")
            reply = "milliseconds";
        else if (joined == "number of tracks" || joined == "current track")
            reply = std::to_string(1);  // not a literal: g++ 12 warns falsely (-Wrestrict) at -O3
        else
            return mcierr::kUnrecognizedKeyword;
        return 0;
    }

  private:
    std::unique_ptr<MusicPlayer> player_;
    bool paused_ = false;
    bool stopped_ = false;
    std::int64_t stoppedAt_ = 0;
};

}  // namespace

Interpreter::Interpreter(Backend& backend) : backend_(backend) {}
Interpreter::~Interpreter() = default;

std::int32_t Interpreter::Execute(std::string_view command, std::string& reply) {
    std::vector<std::string> words;
    std::int32_t error = 0;
    if (!SplitWords(command, words, error)) return error;
    if (words.empty()) return mcierr::kMissingCommandString;
    std::string verb = platform::AsciiLower(words[0]);
    static const char* const verbs[] = {"open",  "close",  "play",   "stop",
                                        "pause", "resume", "status", "set"};
    if (std::none_of(std::begin(verbs), std::end(verbs), [&](const char* v) { return verb == v; }))
        return mcierr::kUnrecognizedCommand;
    if (words.size() < 2) return mcierr::kMissingDeviceName;
    if (verb == "open") return (error = Open(words)) == 0 ? (reply.clear(), 0) : error;
    if (verb == "close") return (error = Close(words)) == 0 ? (reply.clear(), 0) : error;

    auto found = devices_.find(platform::AsciiLower(words[1]));
    if (found == devices_.end()) return mcierr::kInvalidDeviceName;
    Device& device = *found->second;
    std::vector<std::string> rest;
    if (!StripFlags(words, rest, error)) return error;
    std::string text;
    if (verb == "status") {
        error = device.Status(rest, text);
    } else if (verb == "play") {
        error = RunPlay(device, rest);
    } else if (verb == "set") {
        error = RunSet(device, rest);
    } else if (!rest.empty()) {
        error = mcierr::kUnrecognizedKeyword;
    } else {
        error = verb == "stop" ? device.Stop() : verb == "pause" ? device.Pause() : device.Resume();
    }
    if (error == 0) reply = std::move(text);
    return error;
}

std::int32_t Interpreter::Open(const std::vector<std::string>& words) {
    std::vector<std::string> rest;
    std::int32_t error = 0;
    if (!StripFlags(words, rest, error)) return error;
    // The keywords' values keep their case (an alias is shown as given), so look them up in
    // the original words.
    std::optional<std::string> type, alias;
    std::vector<std::string> original;
    for (std::size_t i = 2; i < words.size(); ++i) {
        std::string lower = platform::AsciiLower(words[i]);
        if (lower != "wait" && lower != "notify") original.push_back(words[i]);
    }
    for (std::size_t i = 0; i < rest.size();) {
        if (rest[i] == "shareable") {  // a flag without a value: devices here always share
            ++i;
            continue;
        }
        std::optional<std::string>* slot = rest[i] == "type"    ? &type
                                           : rest[i] == "alias" ? &alias
                                                                : nullptr;
        if (!slot) return mcierr::kUnrecognizedKeyword;
        if (*slot) return mcierr::kDuplicateFlags;
        if (i + 1 >= rest.size()) return mcierr::kMissingParameter;
        *slot = original[i + 1];
        i += 2;
    }
    const std::string& name = words[1];
    std::string kind = type ? platform::AsciiLower(*type) : platform::AsciiLower(name);
    bool isCd = kind == "cdaudio";
    if (isCd && type && platform::AsciiLower(name) != "cdaudio") return mcierr::kNoElementAllowed;
    if (!isCd && kind != "mpegvideo") {
        if (type) return mcierr::kInvalidDeviceName;
        if (IsMusicFileName(name))
            kind = "mpegvideo";
        else if (name.find_first_of("./\\") != std::string::npos)
            return mcierr::kExtensionNotFound;
        else
            return mcierr::kInvalidDeviceName;
    }
    if (!isCd && !type && platform::AsciiLower(name) == "mpegvideo")
        return mcierr::kFilenameRequired;
    std::string key = platform::AsciiLower(alias ? *alias : name);
    if (key.empty()) return mcierr::kMissingDeviceName;
    if (devices_.count(key)) return alias ? mcierr::kDuplicateAlias : mcierr::kDeviceOpen;

    std::unique_ptr<Device> device;
    if (isCd) {
        std::int32_t cdError = mcierr::kDeviceNotInstalled;
        auto drive = backend_.OpenCd(cdError);
        if (!drive) return cdError ? cdError : mcierr::kDeviceNotInstalled;
        device = MakeCdDevice(std::move(drive));
    } else {
        auto player = backend_.OpenMusic();
        if (!player) return mcierr::kHardware;
        if (std::int32_t loadError = player->Load(name)) return loadError;
        device = std::make_unique<MusicDevice>(std::move(player));
    }
    devices_[key] = std::move(device);
    return 0;
}

std::int32_t Interpreter::Close(const std::vector<std::string>& words) {
    std::vector<std::string> rest;
    std::int32_t error = 0;
    if (!StripFlags(words, rest, error)) return error;
    if (!rest.empty()) return mcierr::kUnrecognizedKeyword;
    std::string key = platform::AsciiLower(words[1]);
    if (key == "all") {
        devices_.clear();
        return 0;
    }
    if (devices_.erase(key) == 0) return mcierr::kInvalidDeviceName;
    return 0;
}

}  // namespace sound
