// The "cdaudio" device: disc geometry, time formats and the device's verbs.
#include "platform/sound/cd_device.h"

#include <algorithm>
#include <cstdio>

#include "platform/sound/mci_errors.h"

namespace sound {

namespace {

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
        if (format_ == Format::kMs)
            return std::to_string(std::int64_t{frames} * 1000 / kFramesPerSecond);
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
    const std::string joined = Joined(item);
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

std::unique_ptr<Device> MakeCdDevice(std::unique_ptr<CdDrive> drive) {
    return std::make_unique<CdDevice>(std::move(drive));
}

}  // namespace sound
