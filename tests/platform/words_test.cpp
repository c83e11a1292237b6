// The word rules every layer shares: extension lists, charset names, blanks and letter case,
// UTF-8 checks, the lines of a message box, and the timing marks' notes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/base.h"
#include "platform/message_lines.h"
#include "platform/trace.h"
#include "platform/words.h"
#include "test_support.h"

using platform::ListHasName;

TEST(ExtensionList, FindsOnlyWholeNames) {
    const char* list = "GLX_EXT_swap_control_tear XGLX_MESA_swap_control GLX_SGI_swap_control";
    EXPECT_FALSE(ListHasName(list, "GLX_EXT_swap_control"));   // a longer name starts with it
    EXPECT_FALSE(ListHasName(list, "GLX_MESA_swap_control"));  // a longer name ends with it
    EXPECT_TRUE(ListHasName(list, "GLX_SGI_swap_control"));    // last in the list
    EXPECT_TRUE(ListHasName("A_ext_tear A_ext", "A_ext"));     // after a longer match
    EXPECT_TRUE(ListHasName("WGL_EXT_swap_control ", "WGL_EXT_swap_control"));
}

TEST(ExtensionList, NothingIsInANullOrEmptyList) {
    EXPECT_FALSE(ListHasName(nullptr, "GLX_EXT_swap_control"));
    EXPECT_FALSE(ListHasName("", "GLX_EXT_swap_control"));
    EXPECT_FALSE(ListHasName("A B", ""));
}

TEST(CharsetNames, CaseIsIgnoredForAsciiLettersOnly) {
    EXPECT_EQ(platform::AsciiUpper("euc-jp"), "EUC-JP");
    EXPECT_EQ(platform::AsciiUpper("\xc3\xa9t\xc3\xa9"), "\xc3\xa9T\xc3\xa9");  // UTF-8 bytes kept
    EXPECT_TRUE(platform::IsUtf8("utf8"));
    EXPECT_TRUE(platform::IsUtf8("Utf-8"));
    EXPECT_FALSE(platform::IsUtf8("UTF-16"));
}

TEST(Blanks, EachSetTrimsItsOwnBytesAtBothEndsOnly) {
    using platform::Blanks;
    using platform::TrimBlanks;
    EXPECT_EQ(TrimBlanks(" \t a b \t "), "a b");
    EXPECT_EQ(TrimBlanks("\r\n a \n"), "\r\n a \n");  // line breaks are not blanks of a field
    EXPECT_EQ(TrimBlanks("\r\n\v\f a\tb \r\n", Blanks::Whitespace), "a\tb");
    EXPECT_EQ(TrimBlanks(" \t ", Blanks::Whitespace), "");
    EXPECT_EQ(TrimBlanks(""), "");
    // Bytes above ASCII are never blanks, whatever the locale says of them (0xA0 is a
    // no-break space in Latin-1).
    EXPECT_EQ(TrimBlanks("\xa0x\xa0", Blanks::Whitespace), "\xa0x\xa0");
    EXPECT_FALSE(platform::IsBlank('\0', Blanks::Whitespace));
}

TEST(LetterCase, OnlyAsciiLettersChangeAndCompareWithoutCase) {
    EXPECT_EQ(platform::AsciiLower("Section-Ä1"), "section-Ä1");
    EXPECT_TRUE(platform::SameIgnoringCase("BGM区分", "bgm区分"));
    EXPECT_FALSE(platform::SameIgnoringCase("BGM", "BGM "));
    EXPECT_FALSE(platform::SameIgnoringCase("[", "{"));  // 0x5B and 0x7B differ by the case bit
    EXPECT_FALSE(platform::SameIgnoringCase("\xc3\xa9", "\xc3\x89"));  // é and É stay apart
}

TEST(Utf8, ValidTextPassesAndEveryKindOfMalformedSequenceFails) {
    using platform::IsValidUtf8;
    for (const char* good : {"", "plain", "caf\xc3\xa9", "\xe3\x81\x82", "\xf0\x9f\x98\x80",
                             "\xef\xbf\xbf", "\xf4\x8f\xbf\xbf"})
        EXPECT_TRUE(IsValidUtf8(good)) << good;
    // Latin-1 "é", EUC-JP "あ", a stray continuation, a cut sequence, overlong "/",
    // a surrogate, beyond U+10FFFF, and bytes no UTF-8 has.
    for (const char* bad : {"caf\xe9", "\xa4\xa2", "\x80", "\xe3\x81", "\xc0\xaf", "\xe0\x80\xaf",
                            "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xf8\x88\x80\x80\x80", "\xff"})
        EXPECT_FALSE(IsValidUtf8(bad)) << testing::PrintToString(bad);
}

namespace {

// Each byte is 10 pixels wide, a character of several bytes 10 per byte as well: widths are
// easy to count and a split inside a character would show as a line of a wrong length.
double TenPerByte(std::string_view text) {
    return 10.0 * static_cast<double>(text.size());
}

}  // namespace

TEST(MessageLines, LinesBreakAtBlanksAndKeepTheTextsOwnBreaks) {
    using platform::WrapToWidth;
    EXPECT_EQ(WrapToWidth("one two three four", 100, TenPerByte), "one two\nthree four");
    EXPECT_EQ(WrapToWidth("short", 100, TenPerByte), "short");
    EXPECT_EQ(WrapToWidth("a\n\nb c d e f g h", 50, TenPerByte), "a\n\nb c d\ne f g\nh");
    EXPECT_EQ(WrapToWidth("", 50, TenPerByte), "");
}

TEST(MessageLines, AWordWiderThanALineBreaksAfterASeparatorOrBetweenCharacters) {
    using platform::WrapToWidth;
    // A path: after its last "/" that fits, unless that leaves less than half a line.
    EXPECT_EQ(
        WrapToWidth("File: /run/user/1000/velmora-root/c/tolvik/Zentrova.bmp", 200, TenPerByte),
        "File:\n/run/user/1000/\nvelmora-root/c/\ntolvik/Zentrova.bmp");
    EXPECT_EQ(WrapToWidth("/abcdefghijklmnop", 60, TenPerByte), "/abcde\nfghijk\nlmnop");
    // Japanese without blanks: between characters, never inside one (3 bytes each here).
    const std::string japanese = "\xe3\x81\x82\xe3\x81\x84\xe3\x81\x86\xe3\x81\x88\xe3\x81\x8a";
    const std::string wrapped = WrapToWidth(japanese, 60, TenPerByte);
    EXPECT_EQ(wrapped, "\xe3\x81\x82\xe3\x81\x84\n\xe3\x81\x86\xe3\x81\x88\n\xe3\x81\x8a");
    // A limit narrower than one character still gives every character, one a line.
    EXPECT_EQ(WrapToWidth("abc", 5, TenPerByte), "a\nb\nc");
    // What follows the pieces of a long word joins its last piece where it fits.
    EXPECT_EQ(WrapToWidth("abcdefgh ij", 50, TenPerByte), "abcde\nfgh\nij");
    EXPECT_EQ(WrapToWidth("abcdefg h", 50, TenPerByte), "abcde\nfg h");
}

TEST(MessageLines, TheLimitLeavesRoomBesideTheLinesAndStaysReadable) {
    EXPECT_EQ(platform::MessageLineLimit(1920), 600);
    EXPECT_EQ(platform::MessageLineLimit(1024), 600);
    EXPECT_EQ(platform::MessageLineLimit(640), 440);
    EXPECT_EQ(platform::MessageLineLimit(200), 120);
}

// A timing mark's note, however long, stays whole on one line: the reason a box showed is found
// there in full.
TEST(TimingMarks, ANoteIsKeptWholeOnOneLine) {
    testsupport::TempFolder folder;
    const std::string file = folder.path() + "/trace";
    setenv("VELMORA_TIMING", file.c_str(), 1);
    const std::string note = "first line\nsecond " + std::string(900, 'x') + " end";
    trace::Mark("capture-failed", note);
    const std::string line = testsupport::ReadFile(file);
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    EXPECT_NE(line.find("first line second " + std::string(900, 'x') + " end\n"), std::string::npos)
        << line;
}
