// The bitmap file the host saves: headers and bottom-up BGR rows with padding. SavePicture's
// private replacement that never writes through a symbolic link is in save_picture_posix_test.cpp.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "bitmap_samples.h"
#include "forms/bitmap_file.h"
#include "forms/forms.h"
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

// A wide picture goes out a few rows at a time: the pieces make the same file as one encoding
// would, row for row, and a refused piece stops the writing.
TEST(BitmapFile, RowsGoOutInBatchesOfTheSameBytes) {
    forms::Picture wide;
    wide.Reset(40001, 7, 0, 0, 0);  // rows of 120004 bytes
    for (std::size_t i = 0; i < wide.rgb.size(); ++i)
        wide.rgb[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::string> pieces;
    ASSERT_TRUE(bitmap_file::Encode24To(wide, [&](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    }));
    // The headers, then the rows in more than one piece, each of whole rows.
    ASSERT_GT(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].size(), 54u);
    for (std::size_t i = 1; i < pieces.size(); ++i) EXPECT_EQ(pieces[i].size() % 120004, 0u) << i;
    std::string rows;
    for (int y = 6; y >= 0; --y) {  // bottom row first, blue-green-red, padded to 4 bytes
        const std::uint8_t* p = wide.Row(y);
        for (int x = 0; x < wide.width; ++x, p += 3) rows += {char(p[2]), char(p[1]), char(p[0])};
        rows.append(1, '\0');
    }
    std::string joined;
    for (std::size_t i = 1; i < pieces.size(); ++i) joined += pieces[i];
    EXPECT_TRUE(joined == rows);
    EXPECT_EQ(pieces[0] + joined, bitmap_file::Encode24(wide));

    int asked = 0;
    EXPECT_FALSE(bitmap_file::Encode24To(wide, [&](std::string_view) { return ++asked < 2; }));
    EXPECT_EQ(asked, 2);
}

}  // namespace
