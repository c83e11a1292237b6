// The host's settings file on a POSIX system against FIFOs, symbolic links, read-only folders
// and permissions (the desktop bitmap's are in tests/forms/save_picture_posix_test.cpp).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "host/settings.h"
#include "host/zentrova_b.h"
#include "test_support.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempFolder;

void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class SettingsFile : public ::testing::Test {
  protected:
    TempFolder temp;
    std::string ini = temp.path() + "/Velmora.ini";
};

}  // namespace

TEST_F(SettingsFile, FailedWriteLeavesTheOldFileAndReportsFailure) {
    using namespace Zentrova_B;
    Spit(ini, "[Section]\nBGM区分= 1\n");
    LastApiResult = 1;
    PutIniString(kSection, kKeyBgmFile, "line\nbreak", ini);
    EXPECT_EQ(LastApiResult, 0);
    if (geteuid() != 0) {  // root writes into read-only folders regardless
        chmod(temp.path().c_str(), 0500);
        PutIniString(kSection, kKeyBgmMode, " 2", ini);
        EXPECT_EQ(LastApiResult, 0);
        chmod(temp.path().c_str(), 0700);
    }
    EXPECT_EQ(ReadFile(ini), "[Section]\nBGM区分= 1\n");
}

TEST_F(SettingsFile, FifoIsNeitherReadNorReplacedAndALinkIsFollowedNotReplaced) {
    using namespace Zentrova_B;
    ASSERT_EQ(mkfifo(ini.c_str(), 0600), 0);
    EXPECT_EQ(GetIniString(kSection, kKeyBgmMode, ini), "");  // returns at once
    PutIniString(kSection, kKeyBgmMode, " 2", ini);
    EXPECT_EQ(LastApiResult, 0);
    struct stat info {};
    ASSERT_EQ(lstat(ini.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    unlink(ini.c_str());

    const std::string real = temp.path() + "/real.ini";
    Spit(real, "[Section]\nBGM区分= 1\n");
    chmod(real.c_str(), 0640);
    ASSERT_EQ(symlink(real.c_str(), ini.c_str()), 0);
    PutIniString(kSection, kKeyBgmMode, " 2", ini);
    EXPECT_EQ(LastApiResult, 1);
    ASSERT_EQ(lstat(ini.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFile(real), "[Section]\nBGM区分= 2\n");
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // the file keeps its permissions
}

TEST_F(SettingsFile, FileExistsOnlyForReadableRegularFiles) {
    using namespace Zentrova_B;
    const std::string song = temp.path() + "/song.mp3";
    Spit(song, "x");
    EXPECT_TRUE(FileExists(song));
    EXPECT_TRUE(FileExists(song + "/"));  // one trailing separator is dropped
    EXPECT_TRUE(FileExists(song + "\\"));
    EXPECT_FALSE(FileExists(song + "//"));
    EXPECT_FALSE(FileExists(temp.path() + "/missing.mp3"));
    EXPECT_FALSE(FileExists(temp.path()));
    EXPECT_FALSE(FileExists(temp.path() + "/"));
    EXPECT_FALSE(FileExists(temp.path() + "\\"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists("/dev/null"));
    const std::string fifo = temp.path() + "/pipe.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(FileExists(fifo));  // and it does not block
}
