// The settings file: the profile format on bytes (names, trimming, quotes, the 255-byte cut,
// in-place writes that keep every other line, line endings, Shift-JIS), the atomic replace
// (FIFOs, links and permissions are in files_posix_test.cpp), where the file lives and failed
// saves, the file in UTF-8 under Latin-1 and EUC-JP locales (and the system's words and standard
// error there), the loader's fallbacks, FolderOf and the number reading.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "host/profile.h"
#include "host/settings.h"
#include "host/zentrova_b.h"
#include "platform/base.h"
#include "platform/words.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempFolder;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Sjis(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(platform::ConvertText(utf8, "UTF-8", "SHIFT_JIS", out));
    return out;
}

// ---- Reading ---------------------------------------------------------------------------------

TEST(ProfileRead, NamesIgnoreCaseBlanksAreTrimmedAndMatchingQuotesGo) {
    const std::string file =
        "top=outside\n"
        "; a comment=not a key\n"
        "[ section ]\n"
        "  Key  =  spaced value \t\n"
        "quoted=\"  kept blanks \"\n"
        "single='x'\n"
        "mixed=\"x'\n"
        "empty=\n"
        "[Other]\n"
        "key=other\n"
        "[SECTION]\n"
        "late=second section of the same name is never read\n";
    EXPECT_EQ(profile::Read(file, "Section", "KEY", "UTF-8"), "spaced value");
    EXPECT_EQ(profile::Read(file, "section", "quoted", "UTF-8"), "  kept blanks ");
    EXPECT_EQ(profile::Read(file, "section", "single", "UTF-8"), "x");
    EXPECT_EQ(profile::Read(file, "section", "mixed", "UTF-8"), "\"x'");
    EXPECT_EQ(profile::Read(file, "section", "empty", "UTF-8"), "");
    EXPECT_EQ(profile::Read(file, "other", "key", "UTF-8"), "other");
    EXPECT_EQ(profile::Read(file, "section", "late", "UTF-8"), "");
    EXPECT_EQ(profile::Read(file, "section", "top", "UTF-8"), "");
    EXPECT_EQ(profile::Read(file, "section", "; a comment", "UTF-8"), "");
    EXPECT_EQ(profile::Read(file, "missing", "key", "UTF-8"), "");
    EXPECT_EQ(profile::Read("", "section", "key", "UTF-8"), "");
}

std::string WithBreaks(std::string_view lf, std::string_view eol) {
    std::string out;
    for (char c : lf) out += c == '\n' ? std::string(eol) : std::string(1, c);
    return out;
}

TEST(ProfileRead, CrlfLfAndCrFilesReadAlike) {
    const std::string lf = "[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=/music/a b.mp3\n";
    const std::string mixed = "[Section]\rBGM区分= 2\r\nBGMﾌｧｲﾙ=/music/a b.mp3\n";
    for (const auto& file :
         {lf, WithBreaks(lf, "\r\n"), WithBreaks(lf, "\r"), mixed, lf.substr(0, lf.size() - 1)}) {
        EXPECT_EQ(profile::Read(file, "Section", "BGM区分", "UTF-8"), "2");
        EXPECT_EQ(profile::Read(file, "Section", "BGMﾌｧｲﾙ", "UTF-8"), "/music/a b.mp3");
    }
}

TEST(ProfileRead, LongValuesAreCutTo255BytesWithoutSplittingACharacter) {
    const std::string ascii(300, 'a');
    EXPECT_EQ(profile::Read("[s]\nk=" + ascii + "\n", "s", "k", "UTF-8"), ascii.substr(0, 255));
    // 254 bytes and then a three-byte character: the partial character is dropped.
    const std::string utf8 = std::string(254, 'b') + "区区";
    EXPECT_EQ(profile::Read("[s]\nk=" + utf8 + "\n", "s", "k", "UTF-8"), std::string(254, 'b'));
    // In Shift-JIS the same character takes two bytes: 254 + 2 would be 256, so it goes too,
    // while 253 + 2 fits exactly.
    const std::string sjis = Sjis("[s]\nk=" + std::string(253, 'c') + "区区\n");
    EXPECT_EQ(profile::Read(sjis, "s", "k", "SHIFT_JIS"), std::string(253, 'c') + "区");
}

TEST(ProfileRead, ShiftJisSecondBytesAreNotTakenForBracketsOrLetters) {
    // "ソ" is 0x83 0x5C and "ー" 0x81 0x5B; "ア" is 0x83 0x41 ("A" as second byte), "ぁ" 0x82 0x9F.
    const std::string file = Sjis("[ソフト]\nアイ=1\nキー=表示\n[Section]\nBGMﾘﾋﾟｰﾄ= 7\n");
    EXPECT_EQ(profile::Read(file, "ソフト", "アイ", "SHIFT_JIS"), "1");
    EXPECT_EQ(profile::Read(file, "ソフト", "キー", "SHIFT_JIS"), "表示");
    EXPECT_EQ(profile::Read(file, "Section", "BGMﾘﾋﾟｰﾄ", "SHIFT_JIS"), "7");
    EXPECT_EQ(profile::Read(file, "ソフト", "ぁイ", "SHIFT_JIS"), "");
}

// ---- Writing ---------------------------------------------------------------------------------

TEST(ProfileWrite, NewFileHoldsTheSectionAndKeysInWriteOrder) {
    std::string file;
    file = *profile::Write(file, "Section", "BGM区分", " 2", "UTF-8");
    file = *profile::Write(file, "Section", "BGMﾘﾋﾟｰﾄ", " 0", "UTF-8");
    file = *profile::Write(file, "Section", "BGMﾌｧｲﾙ", "/home/u/a.mp3", "UTF-8");
    EXPECT_EQ(file, "[Section]\nBGM区分= 2\nBGMﾘﾋﾟｰﾄ= 0\nBGMﾌｧｲﾙ=/home/u/a.mp3\n");
    file = *profile::Write(file, "section", "bgm区分", " 0", "UTF-8");  // replaced in place
    EXPECT_EQ(file, "[Section]\nbgm区分= 0\nBGMﾘﾋﾟｰﾄ= 0\nBGMﾌｧｲﾙ=/home/u/a.mp3\n");
}

TEST(ProfileWrite, CrOnlyAndMixedFilesKeepTheirOwnLineBreaks) {
    // A file written by a tool that ends lines in CR alone: the key is replaced in place and a
    // new key and section take the file's own break.
    const std::string cr = "; tool\r[Section]\rBGM区分= 1\r\r[Last]\rx=y";
    EXPECT_EQ(*profile::Write(cr, "Section", "BGM区分", " 2", "UTF-8"),
              "; tool\r[Section]\rBGM区分= 2\r\r[Last]\rx=y");
    EXPECT_EQ(*profile::Write(cr, "Section", "k", "v", "UTF-8"),
              "; tool\r[Section]\rBGM区分= 1\rk=v\r\r[Last]\rx=y");
    EXPECT_EQ(*profile::Write(cr, "New", "k", "v", "UTF-8"), cr + "\r[New]\rk=v\r");
    // Mixed breaks stay exactly as they were around the changed line.
    const std::string mixed = "[Section]\r\nBGM区分= 1\rlate=1\n\r\n";
    EXPECT_EQ(*profile::Write(mixed, "Section", "BGM区分", " 0", "UTF-8"),
              "[Section]\r\nBGM区分= 0\rlate=1\n\r\n");
    EXPECT_EQ(profile::Read(mixed, "Section", "late", "UTF-8"), "1");
}

TEST(ProfileWrite, HandEditedFileKeepsItsOtherLinesByteForByte) {
    const std::string before =
        "; written by hand\r\n"
        "[Other]\r\n"
        "BGMﾌｧｲﾙ = elsewhere\r\n"
        "\r\n"
        "[Section]\r\n"
        "  BGM区分 =  1  ; old\r\n"
        "weird line without equals\r\n"
        "\r\n"
        "[Last]\r\n"
        "x=y";
    std::string after = *profile::Write(before, "Section", "BGM区分", " 2", "UTF-8");
    after = *profile::Write(after, "Section", "BGMﾌｧｲﾙ", "/a.wav", "UTF-8");
    after = *profile::Write(after, "New", "k", "v", "UTF-8");
    EXPECT_EQ(after,
              "; written by hand\r\n"
              "[Other]\r\n"
              "BGMﾌｧｲﾙ = elsewhere\r\n"
              "\r\n"
              "[Section]\r\n"
              "BGM区分= 2\r\n"
              "weird line without equals\r\n"
              "BGMﾌｧｲﾙ=/a.wav\r\n"
              "\r\n"
              "[Last]\r\n"
              "x=y\r\n"
              "[New]\r\n"
              "k=v\r\n");
}

TEST(ProfileWrite, RefusesWhatTheFormatCannotHoldAndCutsLongNames) {
    EXPECT_FALSE(profile::Write("", "Section", "k", "two\nlines", "UTF-8"));
    EXPECT_FALSE(profile::Write("", "Section", "k", "cr\r", "UTF-8"));
    EXPECT_FALSE(profile::Write("", "Section", "a=b", "v", "UTF-8"));
    EXPECT_FALSE(profile::Write("", "Sec]tion", "k", "v", "UTF-8"));
    EXPECT_FALSE(profile::Write("", "", "k", "v", "UTF-8"));
    EXPECT_FALSE(profile::Write("", "Section", " ", "v", "UTF-8"));
    EXPECT_FALSE(profile::Write("", "Section", "k", "emoji 😀", "SHIFT_JIS"));  // no such char
    const std::string longKey(200, 'k');
    const std::string file = *profile::Write("", "Section", longKey, "v", "UTF-8");
    EXPECT_EQ(file, "[Section]\n" + longKey.substr(0, 127) + "=v\n");
    EXPECT_EQ(profile::Read(file, "Section", longKey.substr(0, 127), "UTF-8"), "v");
}

TEST(ProfileWrite, JapaneseKeysRoundTripInShiftJis) {
    std::string file;
    file = *profile::Write(file, "Section", "BGM区分", " 1", "SHIFT_JIS");
    file = *profile::Write(file, "Section", "BGMﾘﾋﾟｰﾄ", " 12", "SHIFT_JIS");
    file = *profile::Write(file, "Section", "BGMﾌｧｲﾙ", "/音楽/ソング.mp3", "SHIFT_JIS");
    // Half-width katakana take one byte each, kanji two: the bytes are Shift-JIS, not UTF-8.
    EXPECT_EQ(file, Sjis("[Section]\nBGM区分= 1\nBGMﾘﾋﾟｰﾄ= 12\nBGMﾌｧｲﾙ=/音楽/ソング.mp3\n"));
    EXPECT_NE(file.find("BGM\xD8\xCB\xDF\xB0\xC4= 12"), std::string::npos);
    file = *profile::Write(file, "Section", "BGMﾘﾋﾟｰﾄ", " 3", "SHIFT_JIS");
    EXPECT_EQ(profile::Read(file, "Section", "BGMﾘﾋﾟｰﾄ", "SHIFT_JIS"), "3");
    EXPECT_EQ(profile::Read(file, "Section", "BGMﾌｧｲﾙ", "SHIFT_JIS"), "/音楽/ソング.mp3");
}

// ---- The file --------------------------------------------------------------------------------

class SettingsFile : public ::testing::Test {
  protected:
    TempFolder temp;
    std::string ini = temp.path() + "/Velmora.ini";
};

TEST_F(SettingsFile, PutAndGetThroughTheFileWithAValueOf300Bytes) {
    using namespace Zentrova_B;
    EXPECT_EQ(GetIniString(kSection, kKeyBgmMode, ini), "");  // no file
    LastApiResult = 0;
    EXPECT_TRUE(PutIniString(kSection, kKeyBgmMode, " 2", ini));
    EXPECT_EQ(LastApiResult, 1);
    PutIniString(kSection, kKeyBgmFile, std::string(300, 'p'), ini);
    EXPECT_EQ(Slurp(ini), "[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=" + std::string(300, 'p') + "\n");
    EXPECT_EQ(GetIniString(kSection, kKeyBgmMode, ini), "2");
    EXPECT_EQ(GetIniString(kSection, kKeyBgmFile, ini), std::string(255, 'p'));
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
}

// ---- Where the file lives ----------------------------------------------------------------------

TEST(SettingsLocation, ProgramFolderWhileWritableElseTheUsersFileWithTheProgramFolderAsStart) {
    using Zentrova_B::ChooseSettingsFiles;
    const std::string program = "/opt/velmora/Velmora.ini",
                      user = "/home/u/.config/velmora/Velmora.ini";
    for (bool userFileExists : {false, true}) {
        const auto writable = ChooseSettingsFiles(program, user, true, userFileExists);
        EXPECT_EQ(writable.read, program);
        EXPECT_EQ(writable.write, program);
    }
    const auto starting = ChooseSettingsFiles(program, user, false, false);
    EXPECT_EQ(starting.read, program);
    EXPECT_EQ(starting.write, user);
    const auto own = ChooseSettingsFiles(program, user, false, true);
    EXPECT_EQ(own.read, user);
    EXPECT_EQ(own.write, user);
    // A user without a settings folder (no HOME) keeps to the program folder.
    EXPECT_EQ(ChooseSettingsFiles(program, "", false, false).write, program);
}

TEST_F(SettingsFile, FirstSaveToTheUsersFileStartsFromTheProgramFoldersAndLeavesItAlone) {
    using namespace Zentrova_B;
    const std::string start = "; chosen by the administrator\n[Section]\nBGM区分= 1\n";
    Spit(ini, start);
    const SettingsFiles files{ini, temp.path() + "/config/velmora/Velmora.ini"};
    EXPECT_TRUE(PrepareSettingsSave(files));
    struct stat info {};
    ASSERT_EQ(stat((temp.path() + "/config/velmora").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    PutIniString(kSection, kKeyBgmRepeat, " 3", files.write);
    EXPECT_EQ(LastApiResult, 1);
    EXPECT_EQ(Slurp(files.write), start + "BGMﾘﾋﾟｰﾄ= 3\n");
    EXPECT_EQ(Slurp(ini), start);
    // Later saves build on the user's own file, never on the starting point again.
    EXPECT_TRUE(PrepareSettingsSave(files));
    EXPECT_EQ(Slurp(files.write), start + "BGMﾘﾋﾟｰﾄ= 3\n");

    // Without a starting point the first save makes a new file.
    const SettingsFiles fresh{temp.path() + "/none.ini", temp.path() + "/other/Velmora.ini"};
    EXPECT_TRUE(PrepareSettingsSave(fresh));
    EXPECT_FALSE(fs::exists(fresh.write));
    PutIniString(kSection, kKeyBgmMode, " 0", fresh.write);
    EXPECT_EQ(Slurp(fresh.write), "[Section]\nBGM区分= 0\n");
}

TEST_F(SettingsFile, AFailedSaveSaysWhy) {
    using namespace Zentrova_B;
    Spit(temp.path() + "/plain", "a file where a folder should be");
    const SettingsFiles blocked{ini, temp.path() + "/plain/velmora/Velmora.ini"};
    std::string why;
    ASSERT_FALSE(PrepareSettingsSave(blocked, &why));
    EXPECT_NE(why.find(temp.path() + "/plain/velmora"), std::string::npos) << why;

    fs::create_directory(ini);  // a folder in the file's place
    why.clear();
    EXPECT_FALSE(PutIniString(kSection, kKeyBgmMode, " 1", ini, &why));
    EXPECT_EQ(LastApiResult, 0);
    EXPECT_FALSE(why.empty());
    const std::string message = SaveFailedMessage(ini, why);
    EXPECT_NE(message.find(ini), std::string::npos);
    EXPECT_NE(message.find(why), std::string::npos);

    EXPECT_TRUE(PutIniString(kSection, kKeyBgmMode, " 1", temp.path() + "/fine.ini"));
    EXPECT_EQ(LastApiResult, 1);
}

// LocateSettingsIn as a user without rights to the program folder sees it: root (as in CI) looks
// as "nobody", anyone else through a folder made read-only.
TEST_F(SettingsFile, LocatesTheFileByTheRealRightsOfTheUser) {
    using namespace Zentrova_B;
    const std::string program = temp.path() + "/program", portable = temp.path() + "/portable";
    const std::string config = temp.path() + "/config";
    fs::create_directories(program);
    fs::create_directories(portable);
    fs::create_directories(config + "/velmora");
    Spit(program + "/Velmora.ini", "[Section]\n");
    chmod(temp.path().c_str(), 0755);
    chmod(program.c_str(), 0555);
    chmod(portable.c_str(), 0777);
    const std::string userFile = config + "/velmora/Velmora.ini";

    const auto locate = [&] {
        int pipeEnds[2];
        EXPECT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        if (child == 0) {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
            setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            std::string out;
            for (const auto& folder : {program, portable}) {
                const auto files = LocateSettingsIn(folder);
                out += files.read + "|" + files.write + "\n";
            }
            if (write(pipeEnds[1], out.data(), out.size()) < 0) _exit(1);
            _exit(0);
        }
        close(pipeEnds[1]);
        std::string got;
        char buffer[4096];
        for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) got.append(buffer, n);
        close(pipeEnds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        return got;
    };
    const std::string portableFile = portable + "/Velmora.ini";
    EXPECT_EQ(locate(), program + "/Velmora.ini|" + userFile + "\n" + portableFile + "|" +
                            portableFile + "\n");
    Spit(userFile, "[Section]\n");
    chmod(userFile.c_str(), 0644);
    EXPECT_EQ(locate(),
              userFile + "|" + userFile + "\n" + portableFile + "|" + portableFile + "\n");
    chmod(program.c_str(), 0755);
}

// ---- Locales whose charset is not UTF-8 -------------------------------------------------------

// The process in `locale`, one that the test_locales fixture compiles; back in "C" afterwards.
class InLocale : public SettingsFile {
  protected:
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
    static void Use(const char* locale) {
        setenv("LOCPATH", VELMORA_TEST_LOCALES, 1);
        ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr) << locale;
    }
    static std::string In(const std::string& utf8, const std::string& charset) {
        std::string out;
        EXPECT_TRUE(platform::ConvertText(utf8, "UTF-8", charset, out)) << charset;
        return out;
    }
};

// Under Latin-1 and EUC-JP the file is written in UTF-8, which carries the Japanese key names
// that those charsets cannot, and is read back; a file written under a UTF-8 locale reads too.
TEST_F(InLocale, TheFileIsUtf8WhateverTheLocaleAndReadsBack) {
    using namespace Zentrova_B;
    const std::string song = "/musique/\xc3\xa9t\xc3\xa9 \xe5\xa4\x8f.mp3";  // été 夏
    for (const char* locale : {"fr_FR.ISO-8859-1", "de_DE.ISO-8859-1", "ja_JP.EUC-JP"}) {
        SCOPED_TRACE(locale);
        Use(locale);
        EXPECT_FALSE(platform::IsUtf8(platform::LocaleCharset()));
        fs::remove(ini);
        std::string why;
        ASSERT_TRUE(PutIniString(kSection, kKeyBgmMode, " 2", ini, &why)) << why;
        ASSERT_TRUE(PutIniString(kSection, kKeyBgmFile, song, ini, &why)) << why;
        EXPECT_EQ(Slurp(ini), "[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=" + song + "\n");
        EXPECT_EQ(GetIniString(kSection, kKeyBgmMode, ini), "2");
        EXPECT_EQ(GetIniString(kSection, kKeyBgmFile, ini), song);
    }
}

// A file an earlier version wrote in the locale's charset (EUC-JP, whose Japanese key names it
// could write) is read in that charset, and the next save writes it all in UTF-8, its other
// lines included. A file that is UTF-8 already is read as UTF-8 in a Latin-1 locale.
TEST_F(InLocale, ALegacyFileIsReadInTheLocalesCharsetAndRewrittenInUtf8) {
    using namespace Zentrova_B;
    const std::string text =
        "; \xe9\x9f\xb3\xe6\xa5\xbd\xe3\x81\xae\xe8\xa8\xad\xe5\xae\x9a\n"  // 音楽の設定
        "[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=/\xe9\x9f\xb3\xe6\xa5\xbd/a.mp3\n";
    Use("ja_JP.EUC-JP");
    Spit(ini, In(text, "EUC-JP"));
    EXPECT_FALSE(platform::IsValidUtf8(Slurp(ini)));
    EXPECT_EQ(GetIniString(kSection, kKeyBgmFile, ini), "/\xe9\x9f\xb3\xe6\xa5\xbd/a.mp3");
    EXPECT_EQ(GetIniString(kSection, kKeyBgmMode, ini), "2");
    ASSERT_TRUE(PutIniString(kSection, kKeyBgmRepeat, " 3", ini));
    EXPECT_EQ(Slurp(ini), text + "BGMﾘﾋﾟｰﾄ= 3\n");

    Use("fr_FR.ISO-8859-1");
    Spit(ini, "[Section]\nBGMﾌｧｲﾙ=/musique/\xc3\xa9t\xc3\xa9.mp3\n");
    EXPECT_EQ(GetIniString(kSection, kKeyBgmFile, ini), "/musique/\xc3\xa9t\xc3\xa9.mp3");
}

// The system's words reach the programs' text in UTF-8 whatever the locale's charset, and what
// goes to standard error goes in the locale's charset.
TEST_F(InLocale, SystemWordsComeInUtf8AndStandardErrorGetsTheLocalesCharset) {
    Use("ja_JP.UTF-8");
    const std::string japanese = platform::ErrorWords(ENOENT);
    if (japanese == "No such file or directory") GTEST_SKIP() << "no Japanese system words here";
    Use("ja_JP.EUC-JP");
    EXPECT_EQ(platform::ErrorWords(ENOENT), japanese);
    EXPECT_TRUE(platform::IsValidUtf8(platform::SystemText(In(japanese, "EUC-JP").c_str())));

    const std::string line = "Velmora: \xe9\x9f\xb3\xe6\xa5\xbd caf\xc3\xa9";  // 音楽 café
    testing::internal::CaptureStderr();
    platform::WriteToStandardError(line);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), In(line + "\n", "EUC-JP"));
    Use("de_DE.ISO-8859-1");
    testing::internal::CaptureStderr();
    platform::WriteToStandardError(line + "\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Velmora: ?? caf\xe9\n");
}

// ---- The loader ------------------------------------------------------------------------------

class Loader : public SettingsFile {
  protected:
    void SetUp() override {
        using namespace Zentrova_B;
        BgmMode = BgmRepeat = 0;
        BgmFile = BgmFolder = IniValue = "stale";
    }
    std::string song = temp.path() + "/music/song.mp3";
};

TEST_F(Loader, NoFileGivesNoMusicAndTheProgramFolder) {
    using namespace Zentrova_B;
    LoadSettingsFrom(ini, "/opt/velmora");
    EXPECT_EQ(BgmMode, 0);
    EXPECT_EQ(BgmRepeat, 0);
    EXPECT_EQ(BgmFile, "");
    EXPECT_EQ(BgmFolder, "/opt/velmora");
}

TEST_F(Loader, MissingMusicFileTurnsKindTwoOffButKeepsTheCd) {
    using namespace Zentrova_B;
    Spit(ini, "[Section]\nBGM区分= 2\nBGMﾘﾋﾟｰﾄ= 5\nBGMﾌｧｲﾙ=" + song + "\n");
    LoadSettingsFrom(ini, "/opt/velmora");
    EXPECT_EQ(BgmMode, 0);
    EXPECT_EQ(BgmRepeat, 5);
    EXPECT_EQ(BgmFile, "");
    EXPECT_EQ(BgmFolder, "/opt/velmora");

    Spit(ini, "[Section]\nBGM区分= 1\nBGMﾌｧｲﾙ=" + song + "\n");
    LoadSettingsFrom(ini, "/opt/velmora");
    EXPECT_EQ(BgmMode, 1);
    EXPECT_EQ(BgmFile, "");
}

TEST_F(Loader, ExistingMusicFileSetsTheChooserFolder) {
    using namespace Zentrova_B;
    fs::create_directories(temp.path() + "/music");
    Spit(song, "ID3");
    Spit(ini, "[Section]\r\nBGM区分= 1\r\nBGMﾌｧｲﾙ=" + song + "\r\n");
    LoadSettingsFrom(ini, "/opt/velmora");
    EXPECT_EQ(BgmMode, 1);
    EXPECT_EQ(BgmFile, song);
    EXPECT_EQ(BgmFolder, temp.path() + "/music");
    EXPECT_EQ(IniValue, song);

    Spit(ini, "[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=" + song + "\n");
    LoadSettingsFrom(ini, "/opt/velmora");
    EXPECT_EQ(BgmMode, 2);

    Spit(ini, "[Section]\nBGM区分= 2\nBGMﾌｧｲﾙ=\n");  // kind 2 without a file
    LoadSettingsFrom(ini, "/opt/velmora");
    EXPECT_EQ(BgmMode, 0);
}

TEST_F(Loader, NumberTextThatIsNoNumberLeavesZero) {
    using namespace Zentrova_B;
    Spit(ini, "[Section]\nBGM区分=two\nBGMﾘﾋﾟｰﾄ=99999\n");
    BgmMode = BgmRepeat = 0;
    LoadSettingsFrom(ini, "/opt/velmora");
    EXPECT_EQ(BgmMode, 0);
    EXPECT_EQ(BgmRepeat, 0);
    Spit(ini, "[Section]\nBGM区分=2.9\nBGMﾘﾋﾟｰﾄ=-0.5\n");
    LoadSettingsFrom(ini, "/opt/velmora");
    EXPECT_EQ(BgmMode, 0);  // 2 without an existing file falls back to 0
    EXPECT_EQ(BgmRepeat, -1);
}

// ---- Path helpers and numbers ----------------------------------------------------------------

TEST(FolderOf, BackslashSlashAndDriveExamples) {
    using Zentrova_B::FolderOf;
    EXPECT_EQ(FolderOf("C:\\music\\a.mp3"), "C:\\music");
    EXPECT_EQ(FolderOf("C:\\a.mp3"), "C:");
    EXPECT_EQ(FolderOf("C:a.mp3"), "C:");
    EXPECT_EQ(FolderOf("a.mp3"), "");
    EXPECT_EQ(FolderOf(""), "");
    EXPECT_EQ(FolderOf("\\\\server\\share\\a.wav"), "\\\\server\\share");
    EXPECT_EQ(FolderOf("/home/u/music/a.mp3"), "/home/u/music");
    EXPECT_EQ(FolderOf("/home/u/music/"), "/home/u/music");
    EXPECT_EQ(FolderOf("/a.mp3"), "/");
    // A colon inside a Linux file name is no drive.
    EXPECT_EQ(FolderOf("/music/Artist: Title.mp3"), "/music");
}

TEST(ReadIniNumber, RoundsDownAndRejectsTextAndOverflow) {
    using Zentrova_B::ReadIniNumber;
    EXPECT_EQ(ReadIniNumber(" 2"), 2);
    EXPECT_EQ(ReadIniNumber("2.9"), 2);
    EXPECT_EQ(ReadIniNumber("-0.5"), -1);
    EXPECT_EQ(ReadIniNumber(" -3 "), -3);
    EXPECT_EQ(ReadIniNumber("+4"), 4);
    EXPECT_EQ(ReadIniNumber(".5"), 0);
    EXPECT_EQ(ReadIniNumber("1e2"), 100);
    EXPECT_EQ(ReadIniNumber("32767.9"), 32767);
    EXPECT_EQ(ReadIniNumber("-32768"), -32768);
    for (const char* bad : {"", " ", "two", "2x", "32768", "-32768.5", "1e9", "inf", "nan", "0x10",
                            "-", ".", "2 3", "--1"})
        EXPECT_FALSE(ReadIniNumber(bad).has_value()) << bad;
}

}  // namespace
