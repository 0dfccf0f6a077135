// SPDX-License-Identifier: MIT
#include "bitmap/startup.h"

#include <gtest/gtest.h>

using namespace vellora;

namespace {

TEST(StartupTest, DetailMapIsRandomBlackAndWhiteAndReproducible) {
    TileTable a, b, c;
    MakeStartupPictures(a, 7);
    MakeStartupPictures(b, 7);
    MakeStartupPictures(c, 8);
    const TileLevel& d = a[0];
    EXPECT_EQ(d.Width, 16);
    EXPECT_EQ(d.Height, 16);
    EXPECT_EQ(d.BitDepth, 4);
    ASSERT_EQ(d.Pixels.rows(), 17);
    ASSERT_EQ(d.Pixels.cols(), 17);
    int white = 0;
    for (int r = 0; r <= 16; ++r)
        for (int col = 0; col <= 16; ++col) {
            const std::uint8_t* p = d.Pixels.at(r, col);
            ASSERT_TRUE(p[0] == 0 || p[0] == 255);
            EXPECT_EQ(p[1], p[0]);
            EXPECT_EQ(p[2], p[0]);
            EXPECT_EQ(p[3], 0);
            white += p[0] == 255;
        }
    // 289 fair coin flips: both colours must be well represented.
    EXPECT_GT(white, 60);
    EXPECT_LT(white, 229);
    EXPECT_EQ(a[0].Pixels.rgba(), b[0].Pixels.rgba());
    EXPECT_NE(a[0].Pixels.rgba(), c[0].Pixels.rgba());
}

TEST(StartupTest, BaseIsWhiteWithGreyCross) {
    TileTable t;
    t[2].Width = 9; // records above the two pictures are left alone
    MakeStartupPictures(t, 1);
    const TileLevel& base = t[1];
    EXPECT_EQ(base.Width, 64);
    EXPECT_EQ(base.Height, 64);
    EXPECT_EQ(base.BitDepth, 4);
    ASSERT_EQ(base.Pixels.rows(), 65);
    ASSERT_EQ(base.Pixels.cols(), 65);
    struct Case {
        int row, col, value;
    };
    const Case cases[] = {{0, 0, 90},   {64, 64, 90}, {0, 64, 90},   {64, 0, 90}, {32, 32, 90},
                          {10, 54, 90}, {0, 1, 255},  {63, 64, 255}, {1, 0, 255}, {31, 32, 255}};
    for (const Case& c : cases) {
        const std::uint8_t* p = base.Pixels.at(c.row, c.col);
        EXPECT_EQ(p[0], c.value) << c.row << "," << c.col;
        EXPECT_EQ(p[1], c.value);
        EXPECT_EQ(p[2], c.value);
        EXPECT_EQ(p[3], 0);
    }
    int grey = 0;
    for (std::size_t i = 0; i < base.Pixels.rgba().size(); i += 4)
        grey += base.Pixels.rgba()[i] == 90;
    EXPECT_EQ(grey, 65 + 65 - 1); // the two diagonals share the centre
    EXPECT_EQ(t[2].Width, 9);
}

} // namespace
