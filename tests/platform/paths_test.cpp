// The drive-path mapping that both programs use to agree on "C:\tolvik\Zentrova.bmp".
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "desktop.h"
#include "platform/platform.h"

using platform::MapDrivePathUnder;

TEST(DrivePaths, DriveLetterSelectsLowerCaseFolderAndKeepsTheRestsCase) {
    EXPECT_EQ(MapDrivePathUnder("/r", "C:\\tolvik\\Zentrova.bmp"), "/r/c/tolvik/Zentrova.bmp");
    EXPECT_EQ(MapDrivePathUnder("/r", "c:\\tolvik\\Zentrova.bmp"), "/r/c/tolvik/Zentrova.bmp");
    EXPECT_EQ(MapDrivePathUnder("/r/", "D:\\A\\b"), "/r/d/A/b");
    EXPECT_EQ(MapDrivePathUnder("/r", "C:"), "/r/c");
    EXPECT_EQ(MapDrivePathUnder("/r", "C:a.mp3"), "/r/c/a.mp3");
}

TEST(DrivePaths, PathsWithoutDriveOnlyTurnTheirBackslashes) {
    EXPECT_EQ(MapDrivePathUnder("/r", "/home/u/a.mp3"), "/home/u/a.mp3");
    EXPECT_EQ(MapDrivePathUnder("/r", "dir\\a.mp3"), "dir/a.mp3");
    EXPECT_EQ(MapDrivePathUnder("/r", "1:\\x"), "1:/x");
    EXPECT_EQ(MapDrivePathUnder("/r", ""), "");
}

TEST(DrivePaths, RootComesFromTheEnvironment) {
    setenv("VELMORA_ROOT", "/some/where", 1);
    EXPECT_EQ(platform::MapDrivePath("C:\\tolvik"), "/some/where/c/tolvik");
    unsetenv("VELMORA_ROOT");
    setenv("XDG_RUNTIME_DIR", "/run/user/7", 1);
    EXPECT_EQ(platform::DriveRoot(), "/run/user/7/velmora");
}

TEST(PrivateFolders, CreatedWithParentsAndOnlyForTheUser) {
    testsupport::TempFolder temp;
    const std::string path = temp.path() + "/c/tolvik";
    ASSERT_TRUE(platform::MakePrivateFolders(path));
    EXPECT_TRUE(platform::MakePrivateFolders(path));  // existing is fine
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(platform::MakePrivateFolders(""));
}

TEST(ProgramFolder, IsTheFolderOfTheRunningBinary) {
    EXPECT_EQ(platform::ProgramFolder(), std::string(VELMORA_BIN_DIR));
}
