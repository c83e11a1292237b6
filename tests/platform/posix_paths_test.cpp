// Where the drive paths live on a POSIX system, and the private working folders.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/base.h"
#include "test_support.h"

namespace {

// Why FolderIsSafe refuses `path`; empty when it takes it.
std::string Refusal(const std::string& path) {
    std::string why;
    const bool safe = platform::FolderIsSafe(path, &why);
    EXPECT_EQ(safe, why.empty()) << why;
    return why;
}

}  // namespace

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

// ---- Folders others could tamper with ------------------------------------------------------

class UnsafeFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = temp_.path() + "/root";
        setenv("VELMORA_ROOT", root_.c_str(), 1);
        folder_ = platform::MapDrivePath("C:\\tolvik");
    }
    void TearDown() override { unsetenv("VELMORA_ROOT"); }
    // False, with a reason that contains `words`.
    void ExpectRefused(const std::string& words) {
        std::string why;
        EXPECT_FALSE(platform::MakePrivateFolders(folder_, &why));
        EXPECT_NE(why.find(words), std::string::npos) << why;
        EXPECT_EQ(why.find('\n'), std::string::npos);
        EXPECT_EQ(Refusal(folder_), why);
    }

    testsupport::TempFolder temp_;
    std::string root_, folder_;
};

TEST_F(UnsafeFolders, FoldersOfOurOwnAreMadeAndAccepted) {
    std::string why = "stale";
    EXPECT_TRUE(platform::MakePrivateFolders(folder_, &why));
    EXPECT_EQ(why, "");
    EXPECT_EQ(Refusal(root_ + "/c"), "");
    // Folders above the root are not looked at: /tmp itself is writable by everyone.
    chmod(temp_.path().c_str(), 01777);
    EXPECT_TRUE(platform::MakePrivateFolders(folder_));
}

TEST_F(UnsafeFolders, AFolderOthersCanWriteIsRefusedAtEveryLevel) {
    for (const std::string& level : {root_, root_ + "/c", folder_}) {
        ASSERT_TRUE(platform::MakePrivateFolders(folder_));
        chmod(level.c_str(), 0777);
        ExpectRefused(level + " can be written by other users");
        chmod(level.c_str(), 0770);
        ExpectRefused("can be written by other users");
        chmod(level.c_str(), 0755);  // readable is fine
        EXPECT_TRUE(platform::MakePrivateFolders(folder_));
    }
}

TEST_F(UnsafeFolders, ALinkOrAFileInPlaceOfAFolderIsRefused) {
    ASSERT_TRUE(platform::MakePrivateFolders(temp_.path() + "/elsewhere/c/tolvik"));
    ASSERT_EQ(symlink((temp_.path() + "/elsewhere").c_str(), root_.c_str()), 0);
    ExpectRefused(root_ + " is a symbolic link");
    ASSERT_EQ(unlink(root_.c_str()), 0);
    std::ofstream(root_) << "x";
    ExpectRefused(root_);
}

// A refused level gets nothing made in it, and a link in place of a level leads nowhere: the
// levels are checked before the next one is made.
TEST_F(UnsafeFolders, NothingIsMadeInARefusedFolderOrThroughALink) {
    ASSERT_EQ(mkdir(root_.c_str(), 0700), 0);
    chmod(root_.c_str(), 0777);
    ExpectRefused(root_ + " can be written by other users");
    EXPECT_FALSE(std::filesystem::exists(root_ + "/c"));
    chmod(root_.c_str(), 0700);
    const std::string elsewhere = temp_.path() + "/elsewhere";
    ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
    for (const std::string& link : {root_ + "/c", root_}) {
        if (link == root_) {
            ASSERT_EQ(rename(root_.c_str(), (root_ + ".old").c_str()), 0);
        }
        ASSERT_EQ(symlink(elsewhere.c_str(), link.c_str()), 0);
        ExpectRefused(link + " is a symbolic link");
        EXPECT_TRUE(std::filesystem::is_empty(elsewhere)) << link;
    }
}

TEST_F(UnsafeFolders, AFolderOfAnotherUserIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "making a folder of another user needs root";
    ASSERT_TRUE(platform::MakePrivateFolders(folder_));
    ASSERT_EQ(chown((root_ + "/c").c_str(), 65534, 65534), 0);
    ExpectRefused(root_ + "/c belongs to another user");
}

TEST(DrivePaths, TheLastFallbackIsAPerUserFolderThatMustBeOurOwn) {
    const char* saved[] = {"VELMORA_ROOT", "XDG_RUNTIME_DIR", "HOME"};
    std::vector<std::optional<std::string>> values;
    for (const char* name : saved) {
        const char* v = std::getenv(name);
        values.push_back(v ? std::optional<std::string>(v) : std::nullopt);
        unsetenv(name);
    }
    const std::string root = platform::DriveRoot();
    EXPECT_EQ(root, "/tmp/velmora-" + std::to_string(getuid()));
    struct stat info {};
    if (lstat(root.c_str(), &info) == 0 && info.st_uid != geteuid()) {
        EXPECT_NE(Refusal(root), "");
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i]) setenv(saved[i], values[i]->c_str(), 1);
}
