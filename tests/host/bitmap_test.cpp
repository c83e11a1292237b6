// The bitmap file the host saves: headers, bottom-up BGR rows with padding, and SavePicture's
// private, atomic replacement that never writes through a symbolic link.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "desktop.h"
#include "host/bitmap_file.h"
#include "host/forms/forms.h"

namespace {

std::uint32_t U32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

forms::Picture TwoByThree() {
    forms::Picture p;
    p.Reset(2, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) {
            std::uint8_t* px = p.Row(y) + x * 3;
            px[0] = static_cast<std::uint8_t>(10 * y + x);  // red
            px[1] = 100;
            px[2] = 200;
        }
    return p;
}

TEST(BitmapFile, HeadersAndBottomUpPaddedRows) {
    const std::string b = bitmap_file::Encode24(TwoByThree());
    const std::size_t stride = 8;  // 2 pixels x 3 bytes, padded to 4
    ASSERT_EQ(b.size(), 54 + stride * 3);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 10), 54u);
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(U32(b, 18), 2u);
    EXPECT_EQ(U32(b, 22), 3u);  // positive height
    EXPECT_EQ(static_cast<std::uint8_t>(b[28]), 24);
    EXPECT_EQ(U32(b, 30), 0u);  // uncompressed
    EXPECT_EQ(U32(b, 34), stride * 3);
    // The first stored row is the picture's bottom row (y = 2), blue first.
    EXPECT_EQ(static_cast<std::uint8_t>(b[54]), 200);
    EXPECT_EQ(static_cast<std::uint8_t>(b[55]), 100);
    EXPECT_EQ(static_cast<std::uint8_t>(b[56]), 20);
    EXPECT_EQ(static_cast<std::uint8_t>(b[59]), 21);
    EXPECT_EQ(b.substr(60, 2), std::string(2, '\0'));
    EXPECT_EQ(static_cast<std::uint8_t>(b[54 + 2 * stride + 2]), 0);  // top row stored last
    EXPECT_TRUE(bitmap_file::Encode24(forms::Picture{}).empty());
    forms::Picture lying{4, 4, {}};  // claims more pixels than it has
    EXPECT_TRUE(bitmap_file::Encode24(lying).empty());
}

TEST(SavePicture, PrivateFileReplacedWholeAndLinksAreNotFollowed) {
    testsupport::TempFolder temp;
    const std::string path = temp.path() + "/Zentrova.bmp";
    const std::string victim = temp.path() + "/victim";
    std::ofstream(victim) << "keep me";
    ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);

    ASSERT_TRUE(forms::SavePicture(TwoByThree(), path));
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(Slurp(victim), "keep me");
    EXPECT_EQ(Slurp(path), bitmap_file::Encode24(TwoByThree()));

    forms::Picture second;
    second.Reset(5, 1, 1, 2, 3);
    ASSERT_TRUE(forms::SavePicture(second, path));
    EXPECT_EQ(U32(Slurp(path), 18), 5u);

    EXPECT_FALSE(forms::SavePicture(second, temp.path() + "/missing/Zentrova.bmp"));
    EXPECT_FALSE(forms::SavePicture(forms::Picture{}, path));
    EXPECT_EQ(U32(Slurp(path), 18), 5u);  // a failed save leaves the earlier file
}

TEST(SavePicture, NothingIsSavedInAWorkingFolderOthersCanWrite) {
    testsupport::TempFolder temp;
    setenv("VELMORA_ROOT", temp.path().c_str(), 1);
    const std::string folder = temp.path() + "/c/tolvik";
    std::filesystem::create_directories(folder);
    chmod(folder.c_str(), 0777);  // made beforehand by someone else's hand
    EXPECT_FALSE(forms::SavePicture(TwoByThree(), "c:\\tolvik\\Zentrova.bmp"));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    chmod(folder.c_str(), 0700);
    EXPECT_TRUE(forms::SavePicture(TwoByThree(), "c:\\tolvik\\Zentrova.bmp"));
    unsetenv("VELMORA_ROOT");
}

}  // namespace
