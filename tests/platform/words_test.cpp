// The word rules every layer shares: extension lists, charset names, blanks and letter case.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/words.h"

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
