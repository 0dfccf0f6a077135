// SPDX-License-Identifier: MIT
#include "cli/png.h"
#include "pngdecode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace vellora::cli {
namespace {

TEST(Png, PicturesOfSeveralSizesRoundTrip) {
    struct Case {
        const char* name;
        int width, height;
    };
    const Case cases[] = {{"OnePixel", 1, 1}, {"Small", 5, 3}, {"Large", 200, 120}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RgbImage img(c.width, c.height, 10, 20, 30);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                img.set(x, y, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                        static_cast<std::uint8_t>(x ^ y));
        test::RgbImage back;
        std::string why;
        ASSERT_TRUE(test::DecodePng(EncodePng(img), back, why)) << why;
        EXPECT_EQ(back.width, c.width);
        EXPECT_EQ(back.height, c.height);
        EXPECT_EQ(back.rgb, img.rgb);
    }
}

TEST(Png, AnEmptyPictureHasNoFile) {
    EXPECT_TRUE(EncodePng(RgbImage(0, 0)).empty());
}

TEST(Png, DrawingOutsideThePictureIsIgnored) {
    RgbImage img(4, 4);
    img.set(-1, 0, 255, 0, 0);
    img.set(4, 4, 255, 0, 0);
    img.fillRect(2, 2, 10, 10, 1, 2, 3);
    img.fillRect(-5, -5, 6, 6, 9, 9, 9);
    EXPECT_EQ(img.rgb.size(), 48u);
    EXPECT_EQ(img.rgb[0], 9);                   // (0,0) from the clipped rectangle
    EXPECT_EQ(img.rgb[(1 * 4 + 1) * 3], 0);     // (1,1) untouched
    EXPECT_EQ(img.rgb[(3 * 4 + 3) * 3 + 2], 3); // (3,3) from the other one
}

} // namespace
} // namespace vellora::cli
