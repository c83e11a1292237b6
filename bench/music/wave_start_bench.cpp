// Wave start benchmark: writes a WAV of the given size (a tone, then a hole in the file: made at
// once, no room taken on disc), plays it looped through the wave-sound player and prints how
// long the call took and how much resident memory the playing sound added.
//   wave_start_bench <file to write> <megabytes>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/sound.h"

namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// 44.1 kHz 16-bit stereo; the first second a tone, the rest silence left as a hole.
void WriteWav(const std::string& path, std::uint32_t dataBytes) {
    std::string wav = "RIFF";
    PutLe(wav, 36 + dataBytes, 4);
    wav += "WAVEfmt ";
    for (auto [value, bytes] :
         {std::pair{16u, 4}, {1u, 2}, {2u, 2}, {44100u, 4}, {176400u, 4}, {4u, 2}, {16u, 2}})
        PutLe(wav, value, bytes);
    wav += "data";
    PutLe(wav, dataBytes, 4);
    for (int i = 0; i < 44100; ++i) {
        auto v = static_cast<std::uint16_t>(
            static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440 * i / 44100)));
        PutLe(wav, v | (std::uint32_t{v} << 16), 4);
    }
    std::ofstream(path, std::ios::binary) << wav;
    std::filesystem::resize_file(path, 44 + std::uintmax_t{dataBytes});
}

double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * sysconf(_SC_PAGESIZE) / (1 << 20);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wave_start_bench <file to write> <megabytes>\n");
        return 2;
    }
    std::uint64_t megabytes = std::strtoull(argv[2], nullptr, 10);
    if (megabytes < 1 || megabytes > 4095) {
        std::fprintf(stderr, "wave_start_bench: 1 to 4095 megabytes\n");
        return 2;
    }
    WriteWav(argv[1], static_cast<std::uint32_t>(megabytes << 20));
    // The output opened beforehand, as the run does when it asks for the output count.
    if (platform::SoundOutputCount() == 0) {
        std::fprintf(stderr, "wave_start_bench: no sound output\n");
        return 1;
    }
    double before = ResidentMegabytes();
    auto start = std::chrono::steady_clock::now();
    std::int32_t played =
        platform::PlayWaveSound(argv[1], 0, platform::kWaveAsync | platform::kWaveLoop);
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    double grown = ResidentMegabytes() - before;
    platform::PlayWaveSound(nullptr, 0, 0);
    if (!played) {
        std::fprintf(stderr, "wave_start_bench: the file did not play\n");
        return 1;
    }
    std::printf("WAV of %llu MB: started in %.1f ms, %.1f MB more resident memory after 1 s\n",
                static_cast<unsigned long long>(megabytes), ms, grown);
    return 0;
}
