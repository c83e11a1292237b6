// Fuzz target: the multimedia command interpreter. The input is lines of commands run in turn
// against stand-in drives; the first byte picks the disc (none, a normal one, or a table of
// contents made of the next bytes, sane or not).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/sound/sound_mci.h"

namespace {

using namespace sound;

struct Disc {
    bool present = true;
    CdToc toc;
    std::int32_t position = 0, end = 0;
    bool streaming = false;
};

class Drive : public CdDrive {
  public:
    explicit Drive(Disc& d) : d_(d) {}
    bool ReadToc(CdToc& toc) override { return d_.present ? (toc = d_.toc, true) : false; }
    void Play(std::int32_t from, std::int32_t to) override {
        if (from > to) std::abort();  // the interpreter must never ask for a backwards range
        d_.position = from;
        d_.end = to;
        d_.streaming = from < to;
    }
    void Stop() override { d_.streaming = false; }
    void Pause() override {}
    void Resume() override {}
    // Every look moves playback on a little, so that tracks change and the disc ends.
    std::int32_t Position() override {
        if (d_.streaming && (d_.position += 37) >= d_.end) {
            d_.position = d_.end;
            d_.streaming = false;
        }
        return d_.position;
    }
    bool Streaming() override { return d_.streaming; }

  private:
    Disc& d_;
};

class Player : public MusicPlayer {
  public:
    std::int32_t Load(const std::string& file) override {
        return file.find('x') != std::string::npos ? mcierr::kInvalidFile : 0;
    }
    void Play(std::int64_t fromMs) override {
        if (fromMs < 0) std::abort();
        playing_ = true;
    }
    void Stop() override { playing_ = false; }
    void Pause() override {}
    void Resume() override {}
    bool Playing() override { return playing_ = playing_ && (++looks_ % 5 != 0); }
    std::int64_t PositionMs() override { return looks_ * 10; }
    std::int64_t LengthMs() override { return 5000; }

  private:
    bool playing_ = false;
    int looks_ = 0;
};

class Devices : public Backend {
  public:
    Disc disc;
    bool drive = true;
    std::unique_ptr<CdDrive> OpenCd(std::int32_t& error) override {
        if (!drive) return (error = mcierr::kDeviceNotInstalled, nullptr);
        return std::make_unique<Drive>(disc);
    }
    std::unique_ptr<MusicPlayer> OpenMusic() override { return std::make_unique<Player>(); }
};

// The disc the first bytes describe; returns how many bytes it used.
std::size_t PickDisc(const std::uint8_t* data, std::size_t size, Devices& devices) {
    if (size == 0) return 0;
    std::uint8_t kind = data[0] % 4;
    devices.drive = kind != 0;
    devices.disc.present = kind != 1;
    CdToc& toc = devices.disc.toc;
    if (kind != 3) {
        toc.tracks = {{1, 0, 0, 75, true}, {2, 75, 105, 180, true}, {3, 180, 210, 285, false}};
        toc.leadout = 285;
        return 1;
    }
    // Up to 6 tracks of (number step and kind, gap, length) bytes, taken as they come.
    std::size_t used = 1;
    std::int32_t sector = 0;
    int number = 0;
    while (used + 3 <= size && toc.tracks.size() < 6 && data[used] != '\n') {
        CdTrack t;
        number += data[used] % 3;
        t.number = number;
        t.pregap = sector;
        t.start = sector + data[used + 1] - 16;
        t.end = t.start + data[used + 2];
        t.audio = data[used] / 3 % 2 == 0;
        sector = t.end;
        toc.tracks.push_back(t);
        used += 3;
    }
    toc.leadout = sector;
    return used;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Devices devices;
    std::size_t used = PickDisc(data, size, devices);
    Interpreter mci(devices);
    std::string_view rest(reinterpret_cast<const char*>(data) + used, size - used);
    int commands = 0;
    while (!rest.empty() && commands++ < 64) {
        std::size_t line = rest.find('\n');
        std::string_view command = rest.substr(0, line);
        rest = line == std::string_view::npos ? std::string_view{} : rest.substr(line + 1);
        std::string reply = "\x01";
        std::int32_t code = mci.Execute(command, reply);
        // A failure has a text and leaves the reply alone; a success gives a short reply.
        if (code != 0 && (ErrorText(code).empty() || reply != "\x01")) std::abort();
        if (code == 0 && reply.size() > 64) std::abort();
    }
    return 0;
}
