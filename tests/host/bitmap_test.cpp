// The bitmap file the host saves: headers and bottom-up BGR rows with padding. SavePicture's
// private replacement that never writes through a symbolic link is in files_posix_test.cpp.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "bitmap_samples.h"
#include "host/bitmap_file.h"
#include "host/forms/forms.h"
#include "test_support.h"

namespace {

using bitmap_samples::TwoByThree;
using bitmap_samples::U32;

TEST(BitmapFile, HeadersAndBottomUpPaddedRows) {
    const std::string b = bitmap_file::Encode24(TwoByThree());
    const std::size_t stride = 8;  // 2 pixels x 3 bytes, padded to 4
    ASSERT_EQ(b.size(), 54 + stride * 3);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 10), 54u);
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(U32(b, 18), 2u);
    EXPECT_EQ(U32(b, 22), 3u);  // positive height
    EXPECT_EQ(static_cast<std::uint8_t>(b[28]), 24);
    EXPECT_EQ(U32(b, 30), 0u);  // uncompressed
    EXPECT_EQ(U32(b, 34), stride * 3);
    // The first stored row is the picture's bottom row (y = 2), blue first.
    EXPECT_EQ(static_cast<std::uint8_t>(b[54]), 200);
    EXPECT_EQ(static_cast<std::uint8_t>(b[55]), 100);
    EXPECT_EQ(static_cast<std::uint8_t>(b[56]), 20);
    EXPECT_EQ(static_cast<std::uint8_t>(b[59]), 21);
    EXPECT_EQ(b.substr(60, 2), std::string(2, '\0'));
    EXPECT_EQ(static_cast<std::uint8_t>(b[54 + 2 * stride + 2]), 0);  // top row stored last
    EXPECT_TRUE(bitmap_file::Encode24(forms::Picture{}).empty());
    forms::Picture lying{4, 4, {}};  // claims more pixels than it has
    EXPECT_TRUE(bitmap_file::Encode24(lying).empty());
}

}  // namespace
