// The sound devices are a module the host loads on its first sound operation: the host program
// itself needs no sound library, a process that has made no sound operation has none loaded,
// the error texts come without loading anything, and the first operation that needs a device
// brings the module and SDL2_mixer in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "desktop.h"
#include "platform/sound.h"

namespace {

bool Mapped(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(name) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(SoundLoading, TheHostProgramNeedsNoSoundLibrary) {
    const std::string needed = testsupport::Shell("objdump -p '" + std::string(VELMORA_BIN_DIR) +
                                                  "/Velmora.scr' | grep NEEDED");
    ASSERT_NE(needed.find("libc.so"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("SDL"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("cdio"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("sndfile"), std::string::npos) << needed;
}

// One process, in this order: nothing is loaded until a device is asked for.
TEST(SoundLoading, DevicesAreLoadedByTheFirstOperationThatNeedsThem) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_FALSE(Mapped("velmora_sound.so"));
    EXPECT_FALSE(Mapped("libSDL2_mixer"));

    char text[128] = "";
    EXPECT_NE(platform::MediaErrorText(263, text, sizeof text), 0);
    EXPECT_NE(text[0], '\0');
    EXPECT_FALSE(Mapped("libSDL2_mixer"));

    char reply[64] = "";
    EXPECT_NE(platform::SendMediaCommand("status NoSuchAlias mode", reply, sizeof reply, 0), 0);
    EXPECT_TRUE(Mapped("velmora_sound.so"));
    EXPECT_TRUE(Mapped("libSDL2_mixer"));
    EXPECT_EQ(platform::SendMediaCommand(nullptr, reply, sizeof reply, 0), 267);
}
