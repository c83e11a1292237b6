// The word rules every backend shares: extension lists and charset names.
#include <gtest/gtest.h>

#include "platform/common/words.h"
#include "platform/platform.h"

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
