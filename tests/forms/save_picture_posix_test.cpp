// Saving a picture on a POSIX system: a private file replaced whole, never through a symbolic
// link, and nothing saved in a folder others can write.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bitmap_samples.h"
#include "forms/bitmap_file.h"
#include "platform/base.h"
#include "test_support.h"

namespace {

using bitmap_samples::TwoByThree;
using bitmap_samples::U32;
using testsupport::ReadFile;

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
    EXPECT_EQ(ReadFile(victim), "keep me");
    EXPECT_EQ(ReadFile(path), bitmap_file::Encode24(TwoByThree()));

    forms::Picture second;
    second.Reset(5, 1, 1, 2, 3);
    ASSERT_TRUE(forms::SavePicture(second, path));
    EXPECT_EQ(U32(ReadFile(path), 18), 5u);

    EXPECT_FALSE(forms::SavePicture(second, temp.path() + "/missing/Zentrova.bmp"));
    EXPECT_FALSE(forms::SavePicture(forms::Picture{}, path));
    EXPECT_EQ(U32(ReadFile(path), 18), 5u);  // a failed save leaves the earlier file

    // Bytes made while written: a maker that gives up halfway leaves the old file, no half one.
    EXPECT_FALSE(platform::ReplaceFileFrom(
        path, [](const platform::ByteSink& sink) { return sink("BM half") && false; },
        platform::FileAccess::OwnerOnly, platform::Durability::Passing));
    EXPECT_EQ(U32(ReadFile(path), 18), 5u);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(temp.path()))
        ++entries;
    EXPECT_EQ(entries, 2u);  // the picture and the victim: no temporary file is left
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
