// The multimedia command interpreter: words, verbs, the alias table, and the "cdaudio" and
// "MPEGVideo" devices' logic (time formats, tracks, modes) over their platform halves.
#include "platform/sound/sound_mci.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

namespace sound {

namespace {

constexpr std::int32_t kFilenameRequired = 304;

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A decimal number of at most `maxDigits` digits.
std::optional<std::int64_t> ReadDecimal(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Splits "a:b:c" into at most `maxFields` numbers; false on anything else.
bool ReadFields(std::string_view text, std::size_t maxFields, std::vector<std::int64_t>& fields,
                std::int32_t& error) {
    fields.clear();
    error = mcierr::kBadInteger;
    std::size_t begin = 0;
    while (true) {
        std::size_t colon = text.find(':', begin);
        std::string_view part = text.substr(
            begin, colon == std::string_view::npos ? std::string_view::npos : colon - begin);
        auto value = ReadDecimal(part, 3);
        if (!value || fields.size() == maxFields) return false;
        fields.push_back(*value);
        if (colon == std::string_view::npos) break;
        begin = colon + 1;
    }
    return true;
}

std::string TwoDigits(std::int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(value));
    return text;
}

std::string FormatMsf(std::int64_t frames) {
    if (frames < 0) frames = 0;
    return TwoDigits(frames / kFramesPerSecond / 60) + ":" +
           TwoDigits(frames / kFramesPerSecond % 60) + ":" + TwoDigits(frames % kFramesPerSecond);
}

// The words after the device name, without the "wait" and "notify" flags: every command here
// runs synchronously and no window is ever told.
bool StripFlags(const std::vector<std::string>& words, std::vector<std::string>& rest,
                std::int32_t& error) {
    bool wait = false, notify = false;
    for (std::size_t i = 2; i < words.size(); ++i) {
        std::string word = Lower(words[i]);
        bool* flag = word == "wait" ? &wait : word == "notify" ? &notify : nullptr;
        if (!flag) {
            rest.push_back(word);
            continue;
        }
        if (*flag) {
            error = mcierr::kDuplicateFlags;
            return false;
        }
        *flag = true;
    }
    return true;
}

bool IsMusicFileName(std::string_view name) {
    static const char* const endings[] = {".mp3", ".wav", ".ogg", ".flac", ".opus", ".mp2"};
    std::string lower = Lower(name);
    for (const char* ending : endings) {
        std::string_view e(ending);
        if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0)
            return true;
    }
    return false;
}

}  // namespace

std::string_view ErrorText(std::int32_t code) {
    switch (code) {
        case mcierr::kUnrecognizedKeyword:
            return "The command contains a word the device does not know.";
        case mcierr::kUnrecognizedCommand:
            return "The command word is not known.";
        case mcierr::kHardware:
            return "The sound device failed.";
        case mcierr::kInvalidDeviceName:
            return "The device is not open or its name is not known.";
        case mcierr::kDeviceOpen:
            return "The device is already open.";
        case mcierr::kMissingCommandString:
            return "No command was given.";
        case mcierr::kParamOverflow:
            return "The reply is too long for the buffer given.";
        case mcierr::kBadInteger:
            return "A number in the command is not valid.";
        case mcierr::kMissingParameter:
            return "The command lacks a value it needs.";
        case mcierr::kUnsupportedFunction:
            return "The device cannot do that.";
        case mcierr::kFileNotFound:
            return "The file cannot be found.";
        case mcierr::kDeviceNotReady:
            return "The device is not ready: no readable disc.";
        case mcierr::kExtensionNotFound:
            return "No device plays files with this ending.";
        case mcierr::kOutOfRange:
            return "A position or track is outside the medium.";
        case mcierr::kDuplicateAlias:
            return "The alias is already in use.";
        case mcierr::kMissingDeviceName:
            return "The command names no device.";
        case mcierr::kBadTimeFormat:
            return "The time format is not known to the device.";
        case mcierr::kNoClosingQuote:
            return "A quoted name has no closing quote.";
        case mcierr::kDuplicateFlags:
            return "A word is given twice.";
        case mcierr::kInvalidFile:
            return "The file cannot be played.";
        case mcierr::kNoElementAllowed:
            return "The device takes no file name.";
        case kFilenameRequired:
            return "The device needs a file name.";
        case mcierr::kExtraCharacters:
            return "A quoted name is followed by other characters.";
        case mcierr::kDeviceNotInstalled:
            return "No such device is installed.";
        default:
            return {};
    }
}

bool SplitWords(std::string_view command, std::vector<std::string>& words, std::int32_t& error) {
    words.clear();
    std::size_t i = 0;
    while (i < command.size()) {
        if (IsBlank(command[i])) {
            ++i;
            continue;
        }
        if (command[i] != '"') {
            std::size_t end = i;
            while (end < command.size() && !IsBlank(command[end])) ++end;
            words.emplace_back(command.substr(i, end - i));
            i = end;
            continue;
        }
        std::string word;
        std::size_t close = i;
        // A quote written twice inside the quotes is one quote of the word.
        while ((close = command.find('"', close + 1)) != std::string_view::npos &&
               close + 1 < command.size() && command[close + 1] == '"') {
            word += command.substr(i + 1, close - i);
            i = ++close;
        }
        if (close == std::string_view::npos) {
            error = mcierr::kNoClosingQuote;
            return false;
        }
        if (close + 1 < command.size() && !IsBlank(command[close + 1])) {
            error = mcierr::kExtraCharacters;
            return false;
        }
        words.push_back(word + std::string(command.substr(i + 1, close - i - 1)));
        i = close + 1;
    }
    return true;
}

// ---- Devices ----

class Device {
  public:
    virtual ~Device() = default;
    virtual std::int32_t Play(const std::string* from, const std::string* to) = 0;
    virtual std::int32_t Stop() = 0;
    virtual std::int32_t Pause() = 0;
    virtual std::int32_t Resume() = 0;
    virtual std::int32_t Status(const std::vector<std::string>& item, std::string& reply) = 0;
    virtual std::int32_t SetTimeFormat(const std::string& format) = 0;
};

namespace {

const CdTrack* TrackAt(const CdToc& toc, std::int32_t sector) {
    const CdTrack* found = &toc.tracks.front();
    for (const CdTrack& track : toc.tracks)
        if (track.pregap <= sector) found = &track;
    return found;
}

const CdTrack* TrackNumbered(const CdToc& toc, std::int64_t number) {
    for (const CdTrack& track : toc.tracks)
        if (track.number == number) return &track;
    return nullptr;
}

// A table of contents this device can work with: tracks in order, each inside the disc.
bool Sane(const CdToc& toc) {
    if (toc.tracks.empty() || toc.tracks.size() > 99) return false;
    std::int32_t last = 0;
    int lastNumber = 0;
    for (const CdTrack& t : toc.tracks) {
        if (t.number <= lastNumber || t.number > 99) return false;
        if (t.pregap < last || t.start < t.pregap || t.end < t.start || t.end > toc.leadout)
            return false;
        last = t.end;
        lastNumber = t.number;
    }
    return true;
}

class CdDevice : public Device {
  public:
    explicit CdDevice(std::unique_ptr<CdDrive> drive) : drive_(std::move(drive)) {}
    ~CdDevice() override { drive_->Stop(); }

    std::int32_t Play(const std::string* from, const std::string* to) override {
        if (!Ready()) return mcierr::kDeviceNotReady;
        if (paused_ && !from && !to && drive_->Streaming()) return Resume();
        std::int32_t begin = 0, end = toc_.leadout, error = 0;
        if (from && !ReadPosition(*from, begin, error)) return error;
        if (to && !ReadPosition(*to, end, error)) return error;
        if (!from) begin = ResumePoint();
        if (begin > end) return mcierr::kOutOfRange;
        paused_ = false;
        // Only audio plays: a play from inside a data track, or over nothing but data, ends at
        // once; one that reaches into data ends where the audio does.
        std::int32_t soundFrom = NextAudioSector(toc_, begin, end);
        if (!TrackAt(toc_, begin)->audio || soundFrom >= end) {
            drive_->Stop();
            return 0;
        }
        drive_->Play(soundFrom, LastAudioEnd(toc_, end));
        return 0;
    }
    std::int32_t Stop() override {
        drive_->Stop();
        paused_ = false;
        return 0;
    }
    std::int32_t Pause() override {
        if (!Ready()) return mcierr::kDeviceNotReady;
        drive_->Pause();
        paused_ = drive_->Streaming();
        return 0;
    }
    std::int32_t Resume() override {
        if (!Ready()) return mcierr::kDeviceNotReady;
        if (paused_) drive_->Resume();
        paused_ = false;
        return 0;
    }
    std::int32_t SetTimeFormat(const std::string& format) override {
        if (format == "tmsf")
            format_ = Format::kTmsf;
        else if (format == "msf")
            format_ = Format::kMsf;
        else if (format == "milliseconds" || format == "ms")
            format_ = Format::kMs;
        else
            return mcierr::kBadTimeFormat;
        return 0;
    }
    std::int32_t Status(const std::vector<std::string>& item, std::string& reply) override;

  private:
    enum class Format { kMsf, kTmsf, kMs };

    bool Ready() {
        if (haveToc_) return true;
        CdToc toc;
        if (!drive_->ReadToc(toc) || !Sane(toc)) return false;
        toc_ = std::move(toc);
        haveToc_ = true;
        return true;
    }

    // Where a play without "from" starts: where the disc stopped (past any data there), or its
    // first audio track when it has played its last (so a finished disc starts over).
    std::int32_t ResumePoint() {
        std::int32_t position = drive_->Position();
        std::int32_t first = FirstAudioTrackStart();
        if (position < first || position >= LastAudioEnd(toc_, toc_.leadout)) return first;
        return NextAudioSector(toc_, position, toc_.leadout);
    }
    std::int32_t FirstAudioTrackStart() const {
        for (const CdTrack& track : toc_.tracks)
            if (track.audio) return track.start;
        return toc_.leadout;
    }

    bool ReadPosition(const std::string& text, std::int32_t& sector, std::int32_t& error);
    std::string FormatPosition(std::int32_t sector) const;
    std::string FormatLength(std::int32_t frames) const {
        if (format_ == Format::kMs) return std::to_string(std::int64_t{frames} * 1000 / 75);
        return FormatMsf(frames);
    }
    std::int32_t TrackItem(const std::string& word, const std::string& number, std::string& reply);

    std::unique_ptr<CdDrive> drive_;
    CdToc toc_;
    bool haveToc_ = false;
    bool paused_ = false;
    Format format_ = Format::kMsf;
};

bool CdDevice::ReadPosition(const std::string& text, std::int32_t& sector, std::int32_t& error) {
    std::vector<std::int64_t> f;
    std::int64_t value = 0;
    if (format_ == Format::kMs) {
        auto ms = ReadDecimal(text, 9);
        if (!ms) {
            error = mcierr::kBadInteger;
            return false;
        }
        value = *ms * kFramesPerSecond / 1000;
    } else if (format_ == Format::kMsf) {
        if (!ReadFields(text, 3, f, error)) return false;
        f.resize(3, 0);
        if (f[1] >= 60 || f[2] >= kFramesPerSecond) return (error = mcierr::kOutOfRange, false);
        value = (f[0] * 60 + f[1]) * kFramesPerSecond + f[2] - kLeadIn;
    } else {
        if (!ReadFields(text, 4, f, error)) return false;
        f.resize(4, 0);
        const CdTrack* track = TrackNumbered(toc_, f[0]);
        if (!track || f[2] >= 60 || f[3] >= kFramesPerSecond)
            return (error = mcierr::kOutOfRange, false);
        value = track->start + (f[1] * 60 + f[2]) * kFramesPerSecond + f[3];
    }
    if (value < 0 || value > toc_.leadout) return (error = mcierr::kOutOfRange, false);
    sector = static_cast<std::int32_t>(value);
    return true;
}

std::string CdDevice::FormatPosition(std::int32_t sector) const {
    switch (format_) {
        case Format::kTmsf:
            return FormatTmsf(toc_, sector);
        case Format::kMsf:
            return FormatMsf(std::int64_t{sector} + kLeadIn);
        case Format::kMs:
            return std::to_string(std::int64_t{sector} * 1000 / kFramesPerSecond);
    }
    return {};
}

std::int32_t CdDevice::TrackItem(const std::string& word, const std::string& number,
                                 std::string& reply) {
    auto n = ReadDecimal(number, 3);
    if (!n) return mcierr::kBadInteger;
    const CdTrack* track = TrackNumbered(toc_, *n);
    if (!track) return mcierr::kOutOfRange;
    reply =
        word == "position" ? FormatPosition(track->start) : FormatLength(track->end - track->start);
    return 0;
}

std::int32_t CdDevice::Status(const std::vector<std::string>& item, std::string& reply) {
    std::string joined;
    for (const std::string& word : item) joined += (joined.empty() ? "" : " ") + word;
    if (joined.empty()) return mcierr::kMissingParameter;
    bool ready = Ready();
    if (joined == "mode") {
        reply = !ready                ? "not ready"
                : drive_->Streaming() ? (paused_ ? "paused" : "playing")
                                      : "stopped";
        return 0;
    }
    if (joined == "ready" || joined == "media present") {
        reply = ready ? "true" : "false";
        return 0;
    }
    if (joined == "time format") {
        reply = format_ == Format::kTmsf  ? "tmsf"
                : format_ == Format::kMsf ? "msf"
                                          : "milliseconds";
        return 0;
    }
    bool known =
        joined == "current track" || joined == "number of tracks" || joined == "position" ||
        joined == "length" ||
        (item.size() == 3 && item[1] == "track" && (item[0] == "position" || item[0] == "length"));
    if (!known) return mcierr::kUnrecognizedKeyword;
    if (!ready) return mcierr::kDeviceNotReady;
    if (item.size() == 3 && item[1] == "track") return TrackItem(item[0], item[2], reply);
    if (joined == "current track")
        reply = std::to_string(TrackAt(toc_, drive_->Position())->number);
    else if (joined == "number of tracks")
        reply = std::to_string(toc_.tracks.size());
    else if (joined == "position")
        reply = FormatPosition(drive_->Position());
    else
        reply = FormatLength(toc_.leadout - toc_.tracks.front().start);
    return 0;
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
        std::string joined;
        for (const std::string& word : item) joined += (joined.empty() ? "" : " ") + word;
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

std::int32_t RunPlay(Device& device, const std::vector<std::string>& rest) {
    std::optional<std::string> from, to;
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        std::optional<std::string>* slot = rest[i] == "from" ? &from
                                           : rest[i] == "to" ? &to
                                                             : nullptr;
        if (!slot) return mcierr::kUnrecognizedKeyword;
        if (*slot) return mcierr::kDuplicateFlags;
        if (i + 1 >= rest.size()) return mcierr::kMissingParameter;
        *slot = rest[i + 1];
    }
    return device.Play(from ? &*from : nullptr, to ? &*to : nullptr);
}

std::int32_t RunSet(Device& device, const std::vector<std::string>& rest) {
    if (rest.empty()) return mcierr::kMissingParameter;
    if (rest[0] != "time" || (rest.size() > 1 && rest[1] != "format"))
        return mcierr::kUnrecognizedKeyword;
    if (rest.size() < 3) return mcierr::kMissingParameter;
    if (rest.size() > 3) return mcierr::kUnrecognizedKeyword;
    return device.SetTimeFormat(rest[2]);
}

}  // namespace

namespace {

// The first sector of track `i` that plays as sound (the track is audio).
std::int32_t SoundStart(const CdToc& toc, std::size_t i) {
    const CdTrack& track = toc.tracks[i];
    return i > 0 && !toc.tracks[i - 1].audio ? track.start : track.pregap;
}

}  // namespace

std::int32_t NextAudioSector(const CdToc& toc, std::int32_t sector, std::int32_t limit) {
    for (std::size_t i = 0; i < toc.tracks.size(); ++i) {
        std::int32_t first = std::max(sector, SoundStart(toc, i));
        if (toc.tracks[i].audio && first < toc.tracks[i].end) return std::min(limit, first);
    }
    return limit;
}

std::int32_t AudioTrackEnd(const CdToc& toc, std::int32_t sector) {
    for (const CdTrack& track : toc.tracks)
        if (sector >= track.pregap && sector < track.end) return track.end;
    return sector;
}

std::int32_t LastAudioEnd(const CdToc& toc, std::int32_t end) {
    std::int32_t last = 0;
    for (std::size_t i = 0; i < toc.tracks.size(); ++i)
        if (toc.tracks[i].audio && SoundStart(toc, i) < end)
            last = std::min(end, toc.tracks[i].end);
    return last;
}

std::string FormatTmsf(const CdToc& toc, std::int32_t sector) {
    if (toc.tracks.empty()) return "00:00:00:00";
    const CdTrack* track = TrackAt(toc, sector);
    return TwoDigits(track->number) + ":" + FormatMsf(std::max(0, sector - track->start));
}

// ---- Interpreter ----

Interpreter::Interpreter(Backend& backend) : backend_(backend) {}
Interpreter::~Interpreter() = default;

std::int32_t Interpreter::Execute(std::string_view command, std::string& reply) {
    std::vector<std::string> words;
    std::int32_t error = 0;
    if (!SplitWords(command, words, error)) return error;
    if (words.empty()) return mcierr::kMissingCommandString;
    std::string verb = Lower(words[0]);
    static const char* const verbs[] = {"open",  "close",  "play",   "stop",
                                        "pause", "resume", "status", "set"};
    if (std::none_of(std::begin(verbs), std::end(verbs), [&](const char* v) { return verb == v; }))
        return mcierr::kUnrecognizedCommand;
    if (words.size() < 2) return mcierr::kMissingDeviceName;
    if (verb == "open") return (error = Open(words)) == 0 ? (reply.clear(), 0) : error;
    if (verb == "close") return (error = Close(words)) == 0 ? (reply.clear(), 0) : error;

    auto found = devices_.find(Lower(words[1]));
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
        std::string lower = Lower(words[i]);
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
    std::string kind = type ? Lower(*type) : Lower(name);
    bool isCd = kind == "cdaudio";
    if (isCd && type && Lower(name) != "cdaudio") return mcierr::kNoElementAllowed;
    if (!isCd && kind != "mpegvideo") {
        if (type) return mcierr::kInvalidDeviceName;
        if (IsMusicFileName(name))
            kind = "mpegvideo";
        else if (name.find_first_of("./\\") != std::string::npos)
            return mcierr::kExtensionNotFound;
        else
            return mcierr::kInvalidDeviceName;
    }
    if (!isCd && !type && Lower(name) == "mpegvideo") return kFilenameRequired;
    std::string key = Lower(alias ? *alias : name);
    if (key.empty()) return mcierr::kMissingDeviceName;
    if (devices_.count(key)) return alias ? mcierr::kDuplicateAlias : mcierr::kDeviceOpen;

    std::unique_ptr<Device> device;
    if (isCd) {
        std::int32_t cdError = mcierr::kDeviceNotInstalled;
        auto drive = backend_.OpenCd(cdError);
        if (!drive) return cdError ? cdError : mcierr::kDeviceNotInstalled;
        device = std::make_unique<CdDevice>(std::move(drive));
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
    std::string key = Lower(words[1]);
    if (key == "all") {
        devices_.clear();
        return 0;
    }
    if (devices_.erase(key) == 0) return mcierr::kInvalidDeviceName;
    return 0;
}

}  // namespace sound
