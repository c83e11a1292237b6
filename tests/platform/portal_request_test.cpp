// The desktop portal's request protocol: the request path the answer will come from, what each
// answer means, the stored answer for screenshots and the wait it calls for, the file URI it
// names, and how the named file is taken (links, other kinds of files and other users' files
// refused; the file removed once read).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/dbus/portal_request.h"
#include "platform/wayland/wayland_capture.h"
#include "test_support.h"

using platform::PortalAnswer;

TEST(PortalRequestPath, FollowsThePortalsRuleForUniqueNamesAndTokens) {
    EXPECT_EQ(platform::PortalRequestPath(":1.42", "velmora_7_1"),
              "/org/freedesktop/portal/desktop/request/1_42/velmora_7_1");
    EXPECT_EQ(platform::PortalRequestPath(":1.2.3", "t"),
              "/org/freedesktop/portal/desktop/request/1_2_3/t");
    // Not a unique name, or a token that is no path element.
    EXPECT_FALSE(platform::PortalRequestPath("org.example.App", "t"));
    EXPECT_FALSE(platform::PortalRequestPath(":", "t"));
    EXPECT_FALSE(platform::PortalRequestPath(":1.4", ""));
    EXPECT_FALSE(platform::PortalRequestPath(":1.4", "a/b"));
    EXPECT_FALSE(platform::PortalRequestPath(":1.4", "a-b"));
    EXPECT_FALSE(platform::PortalRequestPath(":1/4", "t"));
}

TEST(ReadPortalAnswer, TellsPictureRefusalAndFailureApart) {
    const PortalAnswer picture = platform::ReadPortalAnswer(0, "file:///tmp/out.png");
    EXPECT_EQ(picture.kind, PortalAnswer::Kind::Picture);
    EXPECT_EQ(picture.path, "/tmp/out.png");

    const PortalAnswer refused = platform::ReadPortalAnswer(1, std::nullopt);
    EXPECT_EQ(refused.kind, PortalAnswer::Kind::Refused);
    EXPECT_NE(refused.why.find("refused"), std::string::npos);

    for (std::uint32_t code : {2u, 77u}) {
        const PortalAnswer failed = platform::ReadPortalAnswer(code, "file:///tmp/out.png");
        EXPECT_EQ(failed.kind, PortalAnswer::Kind::Failed) << code;
        EXPECT_FALSE(failed.why.empty());
        EXPECT_TRUE(failed.path.empty());
    }
    // Answer 2 names its code and what it usually means on GNOME, never a cause it cannot know;
    // KDE Plasma's missing pictures folder answers 1, and is looked for before the call.
    const std::string two = platform::ReadPortalAnswer(2, std::nullopt).why;
    for (const char* part : {"answer 2", "GNOME", "\"no\""})
        EXPECT_NE(two.find(part), std::string::npos) << part;
    for (const char* part : {"permission not given", "KDE", "Pictures"})
        EXPECT_EQ(two.find(part), std::string::npos) << part;
    EXPECT_NE(platform::ReadPortalAnswer(77, std::nullopt).why.find("answer 77"),
              std::string::npos);
    // Success without a usable file is a failure, never a picture.
    EXPECT_EQ(platform::ReadPortalAnswer(0, std::nullopt).kind, PortalAnswer::Kind::Failed);
    EXPECT_EQ(platform::ReadPortalAnswer(0, "https://example.org/a.png").kind,
              PortalAnswer::Kind::Failed);
}

TEST(StoredScreenshotAnswer, OnlyAStoredNoRefusesAndOnlyAStoredYesShortensTheWait) {
    using platform::StoredScreenshotAnswer;
    using List = std::vector<std::string>;
    using Entry = std::optional<List>;
    EXPECT_EQ(platform::ReadStoredScreenshotAnswer(List{"yes"}), StoredScreenshotAnswer::Yes);
    EXPECT_EQ(platform::ReadStoredScreenshotAnswer(List{"no"}), StoredScreenshotAnswer::No);
    // Only the first permission counts; anything else is as if never asked.
    EXPECT_EQ(platform::ReadStoredScreenshotAnswer(List{"no", "yes"}), StoredScreenshotAnswer::No);
    for (const Entry& entry :
         {Entry{}, Entry{List{}}, Entry{List{"ask"}}, Entry{List{""}}, Entry{List{"No"}}})
        EXPECT_EQ(platform::ReadStoredScreenshotAnswer(entry), StoredScreenshotAnswer::NotAsked);

    EXPECT_EQ(platform::PortalAnswerWait(StoredScreenshotAnswer::Yes).count(), 10);
    EXPECT_EQ(platform::PortalAnswerWait(StoredScreenshotAnswer::NotAsked).count(), 60);
    // Where a person may have been asked, the words say how to answer; after a "yes", not.
    EXPECT_NE(platform::PortalNoAnswerWords(StoredScreenshotAnswer::NotAsked).find("velmora /s"),
              std::string::npos);
    EXPECT_EQ(platform::PortalNoAnswerWords(StoredScreenshotAnswer::Yes),
              "the desktop portal did not answer within 10 seconds");
}

TEST(PicturesFolder, KdeIsToldFromItsDesktopNameAndTheFolderFollowsTheUserDirsRule) {
    for (const char* kde : {"KDE", "kde", "KDE:Plasma", "X-Generic:KDE"})
        EXPECT_TRUE(platform::IsKdeDesktop(kde)) << kde;
    for (const char* other : {"", "GNOME", "sway", "KDEX", "ubuntu:GNOME", ":"})
        EXPECT_FALSE(platform::IsKdeDesktop(other)) << other;

    using platform::PicturesFolder;
    EXPECT_EQ(PicturesFolder("", "/home/u"), "/home/u/Pictures");
    const std::string dirs =
        "# This file is written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
        "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    EXPECT_EQ(PicturesFolder(dirs, "/home/u"), "/home/u/Bilder");
    EXPECT_EQ(PicturesFolder("  XDG_PICTURES_DIR = \"/data/photos\"  \n", "/home/u"),
              "/data/photos");
    // The last line counts; lines that are not the rule's form are passed over.
    EXPECT_EQ(PicturesFolder(dirs + "XDG_PICTURES_DIR=\"$HOME/Fotos\"\n", "/home/u"),
              "/home/u/Fotos");
    for (const char* odd : {"XDG_PICTURES_DIR=$HOME/Bilder\n", "XDG_PICTURES_DIR=\"relative\"\n",
                            "#XDG_PICTURES_DIR=\"/x\"\n", "XDG_PICTURES_DIRS=\"/x\"\n"})
        EXPECT_EQ(PicturesFolder(odd, "/home/u"), "/home/u/Pictures") << odd;

    // The words name the folder and how to make it, quoted for the shell.
    const std::string why = platform::PicturesFolderMissingWords("/home/o'neil/Bilder");
    for (const char* part :
         {"/home/o'neil/Bilder,", "does not exist", "mkdir -p '/home/o'\\''neil/Bilder'",
          "xdg-user-dirs-update --set PICTURES"})
        EXPECT_NE(why.find(part), std::string::npos) << part << " in: " << why;
}

TEST(LocalPathOfFileUri, DecodesLocalFilesAndRefusesTheRest) {
    EXPECT_EQ(platform::LocalPathOfFileUri("file:///home/u/Pictures/Screenshot%20from%202024.png"),
              "/home/u/Pictures/Screenshot from 2024.png");
    EXPECT_EQ(platform::LocalPathOfFileUri("FILE://localhost/tmp/a%2fb"), "/tmp/a/b");
    EXPECT_EQ(platform::LocalPathOfFileUri("file:///tmp/%E6%97%A5.png"), "/tmp/\xE6\x97\xA5.png");
    for (const char* bad : {"", "file:", "file://", "file:///", "file://otherhost/tmp/a.png",
                            "http:///tmp/a.png", "file:///tmp/a%2", "file:///tmp/a%zz",
                            "file:///tmp/a%00b", "/tmp/a.png", "file:tmp/a.png"})
        EXPECT_FALSE(platform::LocalPathOfFileUri(bad)) << bad;
    // Raw control characters, a NUL among them, never reach a file name.
    EXPECT_FALSE(platform::LocalPathOfFileUri(std::string("file:///tmp/a\0b", 14)));
    EXPECT_FALSE(platform::LocalPathOfFileUri("file:///tmp/a\nb"));
}

namespace {

constexpr std::size_t kLargest = platform::wayland::kLargestPortalFile;

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(TakePortalFile, ReadsARegularFileOnceAndRemovesIt) {
    testsupport::TempFolder folder;
    const std::string path = folder.path() + "/out.png";
    Write(path, "picture bytes");
    std::string bytes, why;
    ASSERT_TRUE(platform::wayland::TakePortalFile(path, kLargest, bytes, &why)) << why;
    EXPECT_EQ(bytes, "picture bytes");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(TakePortalFile, RefusesLinksFoldersFifosEmptyLargeAndMissingFilesAndLeavesThem) {
    testsupport::TempFolder folder;
    const std::string target = folder.path() + "/secret";
    Write(target, "not the portal's");
    const std::string link = folder.path() + "/out.png";
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    const std::string fifo = folder.path() + "/fifo.png";
    ASSERT_TRUE(testsupport::MakeFifo(fifo));
    const std::string empty = folder.path() + "/empty.png";
    Write(empty, "");
    const std::string large = folder.path() + "/large.png";
    Write(large, std::string(100, 'x'));

    for (const std::string& path : {link, folder.path(), fifo, empty, large}) {
        std::string bytes = "old", why;
        EXPECT_FALSE(platform::wayland::TakePortalFile(path, 99, bytes, &why)) << path;
        EXPECT_TRUE(bytes.empty()) << path;
        EXPECT_FALSE(why.empty()) << path;
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(path))) << path;
    }
    EXPECT_EQ(testsupport::ReadFile(target), "not the portal's");
    std::string bytes, why;
    EXPECT_FALSE(
        platform::wayland::TakePortalFile(folder.path() + "/none.png", kLargest, bytes, &why));
}

TEST(TakePortalFile, RefusesAnotherUsersFile) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make a file of another user";
    testsupport::TempFolder folder;
    const std::string path = folder.path() + "/out.png";
    Write(path, "someone else's");
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    std::string bytes, why;
    EXPECT_FALSE(platform::wayland::TakePortalFile(path, kLargest, bytes, &why));
    EXPECT_NE(why.find("another user"), std::string::npos) << why;
    EXPECT_TRUE(std::filesystem::exists(path));
}
