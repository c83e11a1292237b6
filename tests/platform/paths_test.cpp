// The drive-path mapping that both programs use to agree on "C:\tolvik\Zentrova.bmp".
#include <gtest/gtest.h>

#include "platform/base.h"
#include "test_support.h"

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

TEST(ProgramFolder, IsTheFolderOfTheRunningBinary) {
    EXPECT_EQ(platform::ProgramFolder(), std::string(VELMORA_BIN_DIR));
}
